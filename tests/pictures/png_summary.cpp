#include "png_summary.h"

namespace {

std::uint32_t crc32_of(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t read_be32(const std::string& bytes, std::size_t at)
{
    return (std::uint32_t(static_cast<unsigned char>(bytes[at])) << 24)
        | (std::uint32_t(static_cast<unsigned char>(bytes[at + 1])) << 16)
        | (std::uint32_t(static_cast<unsigned char>(bytes[at + 2])) << 8)
        | std::uint32_t(static_cast<unsigned char>(bytes[at + 3]));
}

std::string be32(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

void read_header(const std::string& data, PngSummary& summary)
{
    if (data.size() != 13) {
        summary.fault = "IHDR is not 13 bytes long";
        return;
    }
    summary.width = read_be32(data, 0);
    summary.height = read_be32(data, 4);
    summary.bit_depth = static_cast<unsigned char>(data[8]);
    summary.colour_type = static_cast<unsigned char>(data[9]);
}

}

bool colour_type_has_alpha(int colour_type)
{
    return colour_type == 4 || colour_type == 6;
}

std::string png_signature()
{
    return std::string("\x89PNG\r\n\x1a\n", 8);
}

std::string png_chunk(const std::string& type, const std::string& data)
{
    return be32(std::uint32_t(data.size())) + type + data + be32(crc32_of(type + data));
}

PngSummary summarise_png(const std::string& bytes)
{
    PngSummary summary;
    if (bytes.compare(0, 8, png_signature()) != 0) {
        summary.fault = "no PNG signature";
        return summary;
    }
    std::size_t at = 8;
    bool first = true;
    while (summary.fault.empty()) {
        if (bytes.size() - at < 12) {
            summary.fault = "file ends inside a chunk, before IEND";
            break;
        }
        std::uint32_t length = read_be32(bytes, at);
        if (length > bytes.size() - at - 12) {
            summary.fault = "file ends inside a chunk, before IEND";
            break;
        }
        std::string type = bytes.substr(at + 4, 4);
        std::string data = bytes.substr(at + 8, length);
        if (crc32_of(type + data) != read_be32(bytes, at + 8 + length)) {
            summary.fault = "bad CRC in chunk " + type;
            break;
        }
        at += 12 + length;
        if (first != (type == "IHDR")) {
            summary.fault = "IHDR is not the first chunk";
            break;
        }
        first = false;
        if (type == "IHDR")
            read_header(data, summary);
        else if (type == "tRNS")
            summary.has_transparency_chunk = true;
        else if (type == "IDAT")
            ++summary.image_data_chunks;
        else if (type == "IEND") {
            if (at != bytes.size())
                summary.fault = "bytes after IEND";
            break;
        }
    }
    return summary;
}
