#pragma once

#include "ui/main/ClickLabel.h"
#include "ui/main/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <array>
#include <cstdint>
#include <string>

namespace umbrix {

class FrmSeek;

// What an attribute box shows: the attribute is off, on, or on for only some
// of the selected rows.
enum class CheckValue { Unchecked, Checked, Grayed };

// The attribute panel `fraAttrib`: a box per attribute with its caption, the
// directory indicator, and the commands a click on them starts over the
// result list's selection or the browser's highlighted entry.
class AttributePanel : public QGroupBox {
public:
    // The panel's controls keep the window's twips `scale`.
    AttributePanel(FrmSeek& window, const TwipsScale* scale, QWidget* parent);

    CheckValue value(int box) const;
    void setValue(int box, CheckValue value);

    // Shows one entry's attributes in the panel and in the remove-attribute
    // menu; false (after telling the user) when it cannot be read.
    bool ShowEntryAttributes(const std::string& path);
    void ClearAttributeBoxes();
    // The panel's summary of the selected rows of result list box L.
    void ShowSelectionAttributes(int16_t L);
    // Clears one attribute from the selected rows of the current result box.
    void RemoveAttributeFromSelection(int16_t index);
    // True while a command over the result list's selection runs.
    bool commandRunning() const;

    // The remove-attribute menu items of boxes 0 to 3.
    void mnuReadOnly_Click();
    void mnuHidden_Click();
    void mnuSystem_Click();
    void mnuArchive_Click();

    // The boxes in tab order.
    std::array<QWidget*, 5> tabOrder() const;
    // How much wider than its twips, at `screen`'s scale, the widest caption
    // needs to be.
    float captionFactor(const TwipsScale& screen) const;
    // Places every control again after the window's scale changed.
    void applyScale();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void chkAttr_Click(int16_t Index);
    void chkAttr_GotFocus(int16_t Index);
    void chkAttr_LostFocus(int16_t Index);
    void lblReadOnly_Click();
    void lblHidden_Click();
    void lblSystem_Click();
    void lblArchive_Click();
    void fraAttrib_MouseDown(int button, int shift, float x, float y);
    // The label click: toggles box i and runs its click command.
    void toggleAttributeByLabel(int16_t i);
    // The remove-attribute menu item of attribute `index`.
    void removeAttributeFromSource(int16_t index, const char* title);
    std::array<ClickLabel*, 4> attributeCaptions() const;
    template <class Fn> void forEachPlaced(Fn&& fn);

    FrmSeek& window_;
    const TwipsScale* scale_;
    Placed<QLabel> Label1;
    Placed<ClickLabel> lblReadOnly;
    Placed<ClickLabel> lblHidden;
    Placed<ClickLabel> lblSystem;
    Placed<ClickLabel> lblArchive;
    Placed<QLabel> Label6;
    std::array<Placed<QCheckBox>, 5> chkAttr;
    Placed<QWidget> picdir;
    int commands_ = 0;
};

} // namespace umbrix
