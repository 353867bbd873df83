// The line between a wizard's page and its buttons. The toolkit draws it as
// a grey line with a white one below it, each a pixel high; at a fractional
// screen scaling (1.5) both fall on the same row of the screen's pixels and
// the white one, drawn last, covers the grey one, so that on the wizard's
// white window no line is left. Drawn here as the grey line alone, which
// keeps at least one row of the screen at every scaling.
#pragma once

class QWizard;

namespace tessaly::wizard {

// Takes over the drawing of the wizard's ruler (once for each wizard, after
// it has laid out its buttons); false when it has none.
bool drawButtonRuler(QWizard* wizard);

}  // namespace tessaly::wizard
