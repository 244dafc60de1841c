// Helpers that both desktop backends use to hand texts back through the
// desktop-frame calls of ztl_desktop.h.
#include <cstring>

#include "ztl_internal.h"

int ztl_copy_text(char* destination, int size, const char* text, int cut_as_sjis) {
    if (destination == nullptr || size <= 0) return 0;
    int length = static_cast<int>(std::strlen(text));
    int fits = length < size;
    if (!fits) {
        length = size - 1;
        // Never keep half of a double-byte character.
        if (cut_as_sjis) {
            int end = 0;
            for (int i = 0; i < length;) {
                i += ztl_is_lead_byte(static_cast<unsigned char>(text[i])) ? 2 : 1;
                if (i <= length) end = i;
            }
            length = end;
        }
    }
    std::memcpy(destination, text, static_cast<std::size_t>(length));
    destination[length] = '\0';
    return fits;
}
