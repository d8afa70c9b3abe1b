// Web request: one synchronous HTTP exchange (WebRequest), the header-line
// routines it uses on request header blocks, and the cookie merge that lets one
// cookie text act as a caller's cookie jar.
#pragma once

#include "web/cookie_merge.h"
#include "web/encode_base64.h"
#include "web/header_lines.h"
#include "web/web_request.h"
