// libFuzzer entry point for the reader's parts on small inputs, where the
// whole-file target rarely reaches them: property blobs, text decoding, and
// rows, usage maps and long values on a page made from the input.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/error.h"
#include "dbaccess/jet/jet_file.h"
#include "dbaccess/jet/jet_props.h"
#include "dbaccess/jet/jet_table.h"

namespace {

using vt::jet::Bytes;

// A four-page Jet 4 (or Jet 3) image whose page 1 is `page`.
std::vector<std::uint8_t> Image(const std::uint8_t* page, std::size_t size, bool jet3) {
    const std::size_t pageSize = jet3 ? 2048 : 4096;
    std::vector<std::uint8_t> image(4 * pageSize, 0);
    image[1] = 0x01;
    std::memcpy(image.data() + 4, "Standard Jet DB", 15);
    image[0x14] = jet3 ? 0 : 1;
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    vt::jet::Rc4Apply(key, 4, image.data() + 0x18, jet3 ? 126 : 128);
    std::memcpy(image.data() + pageSize, page, std::min(size, 3 * pageSize));
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const bool jet3 = (mode & 0x80) != 0;
    data += 1;
    size -= 1;
    try {
        const vt::jet::TextDecoder text(jet3, 1252);
        switch (mode & 0x03) {
            case 0: {
                const std::vector<std::uint8_t> blob(data, data + size);
                const vt::jet::PropertyBlob props = vt::jet::ParsePropertyBlob(blob, text);
                for (const auto& [name, map] : props.columns) {
                    (void)vt::jet::PropertyText(&map, "DefaultValue", text);
                    (void)vt::jet::PropertyBool(&map, "Required");
                }
                break;
            }
            case 1:
                (void)text.Decode(Bytes(data, size));
                break;
            case 2: {
                // The first 16 bytes are a long-value header and a usage-map
                // pointer; the rest is page 1 onwards.
                if (size < 16) {
                    return 0;
                }
                const auto image = Image(data + 16, size - 16, jet3);
                const vt::jet::JetFile file(Bytes(image.data(), image.size()));
                const vt::jet::RowReader rows(file, text);
                try {
                    (void)rows.LongValue(Bytes(data, 12));
                } catch (const vt::ErrorException&) {
                }
                std::uint32_t pointer = 0;
                std::memcpy(&pointer, data + 12, 4);
                (void)rows.UsageMapPages(pointer);
                break;
            }
            default: {
                // Page 2 onwards is read as a table definition.
                const auto image = Image(data, size, jet3);
                const vt::jet::JetFile file(Bytes(image.data(), image.size()));
                const vt::jet::TableDefinition table = vt::jet::ReadTableDefinition(file, text, 2);
                for (const auto& column : table.columns) {
                    (void)vt::jet::MapFieldDesign(column.Shape(), jet3);
                }
                break;
            }
        }
    } catch (const vt::ErrorException&) {
    }
    return 0;
}
