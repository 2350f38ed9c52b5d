#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A value for a template's "{{name}}" marker, already escaped for where the
// marker stands.
using TemplateValue = std::pair<std::string_view, std::string_view>;

// Appends `pageTemplate` to `out` with every "{{name}}" marker replaced by
// its value. The values are copied as they are and never searched for
// markers. Throws std::logic_error for a marker without a value or one left
// open: the templates are the program's own files.
void fillTemplate(std::string& out, std::string_view pageTemplate, const std::vector<TemplateValue>& values);
