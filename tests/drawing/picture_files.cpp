#include "picture_files.h"

#include "x_display.h"

#include <cstdlib>
#include <stdexcept>

using namespace support;

PictureFolder::PictureFolder() {
    char pattern[] = "/tmp/drawing-pictures-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) throw std::runtime_error("mkdtemp failed");
    folder_ = made;
}

PictureFolder::~PictureFolder() {
    run_command("rm -rf '" + folder_ + "'");
}

std::string PictureFolder::make(const std::string& name, const std::string& arguments) {
    const std::string file = path(name + ".png");
    const CommandResult result = run_command(std::string(CONVERT_PATH) + " " + arguments + " PNG32:'" + file + "'");
    if (result.status != 0) throw std::runtime_error("convert failed for " + name);
    return file;
}

std::string PictureFolder::path(const std::string& name) const {
    return folder_ + "/" + name;
}
