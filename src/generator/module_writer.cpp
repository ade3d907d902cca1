#include "generator/module_writer.h"

#include <string>

namespace vt {

void ModuleWriter::Line(std::string_view utf8) {
    std::string bytes = codePage_.Encode(utf8);
    bytes += "\r\n";
    output_.Write(bytes);
    ++lines_;
}

}  // namespace vt
