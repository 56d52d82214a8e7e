#pragma once
// The game key, checked before any route: a request that does not carry it
// gets 401, changes nothing and prints nothing.

#include <httplib.h>

#include <string>

namespace server {

// True when the request carries "Authorization: Bearer KEY" with `key` (in the
// form normalized_key gives), typed in any case, with or without dashes, and
// nothing else: not a longer key, not another scheme.
bool carries_key(const httplib::Request& req, const std::string& key);

}  // namespace server
