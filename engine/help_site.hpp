#pragma once
// The product web site's base address, used by the help links. A build may override it
// with -DFERROWICK_HELP_SITE="https://...".
namespace ferrowick {

#ifdef FERROWICK_HELP_SITE
inline constexpr const char16_t* kHelpSite = u"" FERROWICK_HELP_SITE;
#else
inline constexpr const char16_t* kHelpSite = u"https://www.halvernook.example";
#endif

}  // namespace ferrowick
