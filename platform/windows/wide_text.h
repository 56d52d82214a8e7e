#pragma once
// The game's text, paths included, is UTF-8; Windows takes and gives it wide.
// Converting through these keeps a folder named in any language intact.

#include <string>

namespace platform {

std::wstring wide(const std::string& utf8);
std::string utf8(const std::wstring& wide);

}  // namespace platform
