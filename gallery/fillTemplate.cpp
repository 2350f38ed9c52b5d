#include "gallery/fillTemplate.h"

#include <stdexcept>

void fillTemplate(std::string& out, std::string_view pageTemplate, const std::vector<TemplateValue>& values) {
    std::size_t at = 0;
    while (true) {
        const std::size_t open = pageTemplate.find("{{", at);
        if (open == std::string_view::npos) {
            out.append(pageTemplate.substr(at));
            return;
        }
        const std::size_t close = pageTemplate.find("}}", open + 2U);
        if (close == std::string_view::npos) {
            throw std::logic_error("a gallery template marker is left open");
        }
        out.append(pageTemplate.substr(at, open - at));
        const std::string_view name = pageTemplate.substr(open + 2U, close - open - 2U);
        bool found = false;
        for (const TemplateValue& value : values) {
            if (value.first == name) {
                out.append(value.second);
                found = true;
                break;
            }
        }
        if (!found) {
            throw std::logic_error("the gallery template marker {{" + std::string(name) + "}} has no value");
        }
        at = close + 2U;
    }
}
