#pragma once
#include "PlainFailure.h"

#include <QString>
#include <stdexcept>

namespace host {

// A failing host operation: what failed, in French, plus the system's reason when there is one.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& what, const QString& reason = {})
        : std::runtime_error(what.toStdString()), m_what(what), m_reason(reason) {}
    explicit Failure(const PlainFailure& failure)
        : Failure(QString::fromStdString(failure.whatFailed()), QString::fromStdString(failure.reason())) {}
    const QString& whatFailed() const { return m_what; }
    const QString& reason() const { return m_reason; }
    // The text shown to a person.
    QString message() const { return m_reason.isEmpty() ? m_what : m_what + QStringLiteral("\n") + m_reason; }

private:
    QString m_what;
    QString m_reason;
};

// Cancel in a dialog that is to throw on it (SaveDialog::cancelThrows).
class Cancelled : public Failure {
public:
    Cancelled() : Failure(QStringLiteral("Annulé par l'utilisateur")) {}
};

} // namespace host
