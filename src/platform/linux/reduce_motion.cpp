#include "platform/reduce_motion.h"

#include <cstdlib>
#include <string_view>

namespace knockbox {

bool reduceMotionRequested() {
    const char* value = std::getenv("KNOCKBOX_REDUCE_MOTION");
    if (!value) return false;
    const std::string_view text(value);
    return text == "1" || text == "true" || text == "yes" || text == "on";
}

}  // namespace knockbox
