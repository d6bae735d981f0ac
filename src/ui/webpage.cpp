#include "webpage.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGui/private/qhighdpiscaling_p.h>

#include <emscripten/bind.h>
#include <emscripten/val.h>

namespace {

// Qt 6.8 takes its one scale for every screen from the environment only as it starts; a
// screen's own scale it takes at any time, and draws its windows at it from the next
// time the screen's box is measured, which the page changes next.
void setWindowScale(double scale)
{
    if (QScreen *screen = QGuiApplication::primaryScreen(); screen && scale > 0)
        QHighDpiScaling::setScreenFactor(screen, scale);
}

} // namespace

EMSCRIPTEN_BINDINGS(pairon12_page) { emscripten::function("setWindowScale", &setWindowScale); }

namespace pairon12 {

void followPageScale()
{
    const auto page = emscripten::val::global("pairon12Page");
    if (!page.isUndefined())
        setWindowScale(page["windowScale"].as<double>());
}

} // namespace pairon12
