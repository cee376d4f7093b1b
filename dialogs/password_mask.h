#pragma once
// Password fields of the program show every character as "$".

class QLineEdit;

namespace dialogs {

// Makes the field a password field masked with dollar signs, shown at once.
void maskWithDollars(QLineEdit& edit);

}  // namespace dialogs
