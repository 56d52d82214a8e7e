#include "join_form.h"

#include <cctype>
#include <cstring>

namespace launcher {

bool typeable(char character) {
    return std::isalnum(static_cast<unsigned char>(character)) ||
           (character != '\0' && std::strchr(".:-[]", character) != nullptr);
}

FormAction type_into(JoinForm& form, char character) {
    std::string& field = form.on_key ? form.key : form.address;
    const std::size_t limit = form.on_key ? key_limit : address_limit;
    if (character == '\r') return FormAction::join;
    if (character == '\t') {
        form.on_key = !form.on_key;
    } else if (character == '\b') {
        if (!field.empty()) field.pop_back();
    } else if (typeable(character) && field.size() < limit) {
        field += character;
    }
    return FormAction::none;
}

}  // namespace launcher
