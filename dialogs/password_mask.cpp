#include "dialogs/password_mask.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace dialogs {

namespace {

// Qt masks passwords with the style's bullet; the journal's users know the
// program's password fields by their dollar signs. The mask is shown at
// once, never the typed character for a moment.
class DollarMaskStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '$';
        if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void maskWithDollars(QLineEdit& edit) {
    auto* mask = new DollarMaskStyle;
    mask->setParent(&edit);  // the edit does not own its style
    edit.setStyle(mask);
    edit.setEchoMode(QLineEdit::Password);
}

}  // namespace dialogs
