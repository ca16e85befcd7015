#pragma once
// The built-in one-page content.xml (3459 bytes) that replaces a missing or
// short salvaged one. Generated into the build from res/rcdata/363-content.xml.

#include <cstddef>
#include <string_view>

constexpr std::size_t kContentTemplateSize = 3459;

std::string_view ContentTemplate();
