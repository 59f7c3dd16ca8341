#include "core/json_nesting.h"

namespace knockbox {

bool jsonNestingWithin(std::string_view text, int depth) {
    int open = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;  // the escaped character, whatever it is
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++open > depth) return false;
        } else if ((c == ']' || c == '}') && open > 0) {
            --open;
        }
    }
    return true;
}

}  // namespace knockbox
