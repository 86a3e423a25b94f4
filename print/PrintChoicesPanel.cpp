#include "PrintChoicesPanel.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace printing {

namespace {
constexpr double smallestMm = 10.0;
}

PrintChoicesPanel::PrintChoicesPanel(const host::PrintChoices& choices, double naturalMm, double widestMm,
                                     QWidget* parent)
    : QWidget(parent), m_naturalMm(naturalMm), m_side(new QDoubleSpinBox), m_centred(new QRadioButton) {
    setWindowTitle(QStringLiteral("QR-Code")); // the tab's name
    setObjectName(QStringLiteral("printChoices"));
    m_side->setObjectName(QStringLiteral("sideMm"));
    m_side->setDecimals(1);
    m_side->setSuffix(QStringLiteral(" mm"));
    m_side->setRange(smallestMm, std::max(smallestMm, widestMm));
    m_side->setValue(choices.sideMm > 0 ? choices.sideMm : naturalMm);
    auto* corner = new QRadioButton(QStringLiteral("À 1 mm du coin de la zone imprimable"));
    corner->setObjectName(QStringLiteral("corner"));
    m_centred->setText(QStringLiteral("Centré sur la page"));
    m_centred->setObjectName(QStringLiteral("centred"));
    (choices.centred ? m_centred : corner)->setChecked(true);

    auto* places = new QVBoxLayout;
    places->addWidget(corner);
    places->addWidget(m_centred);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Taille du QR-Code :"), m_side);
    form->addRow(QStringLiteral("Position :"), places);
}

host::PrintChoices PrintChoicesPanel::choices(double widestMm) const {
    host::PrintChoices result;
    result.centred = m_centred->isChecked();
    const double shown = m_side->value();
    // The natural side as the box rounds it is no choice: the natural size stays exact.
    if (std::abs(shown - std::round(m_naturalMm * 10) / 10) > 1e-9)
        result.sideMm = std::clamp(shown, smallestMm, std::max(smallestMm, widestMm));
    return result;
}

} // namespace printing
