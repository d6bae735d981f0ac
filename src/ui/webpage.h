#pragma once

namespace pairon12 {

// In a browser, the window is drawn at the scale the page gives it (packaging/web/page.js):
// the window's own size, or smaller where the page is smaller, at any time, as a phone is
// turned. Called once, before the window is shown.
void followPageScale();

} // namespace pairon12
