#include "xml/entities.h"

#include <array>
#include <utility>

namespace tessaly {

std::string decodePredefinedEntities(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kEntities{{
        {"&amp;", '&'},
        {"&lt;", '<'},
        {"&gt;", '>'},
        {"&quot;", '"'},
        {"&apos;", '\''},
    }};
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, amp - pos));
        pos = amp + 1;
        char decoded = '&';
        for (const auto& [entity, character] : kEntities) {
            if (text.substr(amp, entity.size()) == entity) {
                decoded = character;
                pos = amp + entity.size();
                break;
            }
        }
        out.push_back(decoded);
    }
    return out;
}

}  // namespace tessaly
