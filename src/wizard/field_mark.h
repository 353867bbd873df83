// How a field shows that it is not accepted: its text in red, and the reason
// in red at the field's right end, inside its frame (the form leaves no room
// below or beside the fields). The field's text keeps clear of the reason,
// and the reason follows the field's right edge when the field grows.
#pragma once

#include <QString>

class QLineEdit;

namespace tessaly::wizard {

// An empty problem marks the field as accepted: black text, no reason.
void markField(QLineEdit* edit, const QString& problem);

// The reason the field shows; empty when it shows none.
QString shownProblem(const QLineEdit* edit);

}  // namespace tessaly::wizard
