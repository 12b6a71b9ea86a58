#include "app/font_preload.h"

#include <fontconfig/fontconfig.h>

FontConfigurationPreload::FontConfigurationPreload() : reading_([] { FcInit(); }) {}

FontConfigurationPreload::~FontConfigurationPreload() {
    reading_.join();
}
