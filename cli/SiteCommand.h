#pragma once

#include <ostream>
#include <string>

struct TCliOptions;

// parvex-cli site survey|apply|snapshot: every line of a site file at once. Progress on err, a
// line a reader; the result on out.
int RunSite(const TCliOptions& options, std::ostream& out, std::ostream& err);

// What the site command's help says below its usage line.
std::string SiteAbout();

// Refuses operands and options that do not make a site request (EUsageError).
void CheckSiteRequest(const TCliOptions& options);
