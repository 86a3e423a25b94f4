#pragma once
// A failure told in French with no Qt type, for the code the command line shares with the window.
#include <stdexcept>
#include <string>

namespace host {

class PlainFailure : public std::runtime_error {
public:
    explicit PlainFailure(std::string what, std::string reason = {})
        : std::runtime_error(what), m_what(std::move(what)), m_reason(std::move(reason)) {}
    const std::string& whatFailed() const { return m_what; }
    const std::string& reason() const { return m_reason; }
    // The text shown to a person.
    std::string message() const { return m_reason.empty() ? m_what : m_what + "\n" + m_reason; }

private:
    std::string m_what;
    std::string m_reason;
};

} // namespace host
