#pragma once
// The printer dialog's "QR-Code" tab: the printed side in millimetres and the placement.
#include "Host.h"

#include <QWidget>

class QDoubleSpinBox;
class QRadioButton;

namespace printing {

class PrintChoicesPanel final : public QWidget {
public:
    // Shows the choices, the natural side when none was chosen; sides go from 10 mm to widestMm.
    PrintChoicesPanel(const host::PrintChoices& choices, double naturalMm, double widestMm,
                      QWidget* parent = nullptr);

    // What the panel shows, the side kept within widestMm (the paper may have changed meanwhile).
    // The natural side as shown stays "natural".
    host::PrintChoices choices(double widestMm) const;

private:
    double m_naturalMm;
    QDoubleSpinBox* m_side;
    QRadioButton* m_centred;
};

} // namespace printing
