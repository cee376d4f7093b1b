#pragma once
// The data selection dialog as the features that ask it see it: shown, it
// gives a WHERE text and the same condition in words, or nothing when the
// user cancels. One dialog serves every caller for the whole run, so what
// was typed for one shows again for the other.

#include <QString>
#include <optional>

namespace core {

struct ChosenSelection {
    QString where;  // "" or " where ... "
    QString description;
};

class SelectionDialog {
  public:
    virtual ~SelectionDialog() = default;
    virtual std::optional<ChosenSelection> choose() = 0;
};

}  // namespace core
