#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Decodes the five predefined XML entities (&amp; &lt; &gt; &quot; &apos;).
// Character references and any other "&...;" stay exactly as written.
std::string decodePredefinedEntities(std::string_view text);

}  // namespace tessaly
