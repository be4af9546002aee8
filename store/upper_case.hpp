#pragma once
// Upper case of one UTF-16 unit by Unicode's simple mapping, whatever the process's own
// locale. Halves of surrogate pairs are left alone.
namespace ferrowick {

char16_t SimpleUpperCase(char16_t c);

}  // namespace ferrowick
