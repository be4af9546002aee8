#pragma once
// The file-system helper layer in one include: path rules, attributes, listings and the
// existence tests.
#include "fs/directory_listing.hpp"
#include "fs/existence.hpp"
#include "fs/file_entry.hpp"
#include "fs/last_error.hpp"
#include "fs/path_attributes.hpp"
#include "fs/path_names.hpp"
#include "fs/path_separator.hpp"
