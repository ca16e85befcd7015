#include "engine/ContentTemplate.h"

extern const unsigned char kContentTemplateBytes[];
extern const std::size_t kContentTemplateBytesSize;

std::string_view ContentTemplate()
{
    return std::string_view(reinterpret_cast<const char*>(kContentTemplateBytes), kContentTemplateBytesSize);
}
