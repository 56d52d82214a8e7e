#pragma once
// The game key, checked before any route: a request that does not carry it
// gets 401, changes nothing and prints nothing.

#include <httplib.h>

#include <string>

// With a nonempty `key` (in the form normalized_key gives), every request must
// carry "Authorization: Bearer KEY", the key typed in any case, with or
// without dashes. An empty key checks nothing.
void require_key(httplib::Server& server, const std::string& key);
