#pragma once

#include <QCheckBox>

namespace umbrix {

// A box of the attribute panel.  It shows three states, but a person's click
// only checks or clears it: a grayed box becomes checked, as a check box of
// the system does.
class AttributeCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override
    {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

} // namespace umbrix
