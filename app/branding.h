// info.pyd: the distributor's texts and web addresses, read from the program folder.
// Never written. Each value is read when it is used, so an edit of "help" counts at once.
#pragma once

#include "framework/text.h"

enum class BrandingKey {
    Help,   // web page of the forum button
    Label,  // text of the link label
    Tip,    // tooltip of the link label
    Link,   // address the link label opens
};

// Section "INFO" of programDir + "info.pyd". A missing file, section or key gives the key's
// default; a key present with an empty value gives the empty text. At most 259 bytes.
Text ReadBranding(const Text& programDir, BrandingKey key);

// The defaults: our home page, its registration page and an invitation to register.
const char* BrandingDefault(BrandingKey key);
