// Where a save to a path lands, found one name at a time the way the kernel
// resolves it, but with the rule for links in shared folders applied whatever
// the machine's own setting: in a sticky, world-writable folder (/tmp) a link
// is followed only when it belongs to this process's user or to the folder's
// owner. Otherwise anyone could plant a link there and have a save by root
// replace the file it names.
#pragma once

#include <string>

#include "io/unique_fd.h"

struct OutputPlace {
    UniqueFd folder;         // the folder the file is or will be in (O_PATH)
    std::string folderPath;  // the same folder as a name ("" for "."), ending in '/'
    std::string name;        // the file's name in that folder, never a link
};

// Resolves every link on the way, the last name's too. On failure returns
// false with the reason in *reason (the system's, or why a link is refused).
bool FindOutputPlace(const std::string& path, OutputPlace* place, std::string* reason);
