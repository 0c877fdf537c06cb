#pragma once

#include "ui/DialogResource.h"

class QWidget;

namespace zelto::qt {

// The Qt widget for a control of a dialog template, with the text and the styles the template gives it,
// named after its id. Where it goes is DialogTemplate's business.
QWidget* CreateTemplateControl(const TemplateControl& control, QWidget* dialog);

} // namespace zelto::qt
