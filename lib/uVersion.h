// The version of the plug-in, the qvt tool and the release packages, one for
// all: MAJOR.MINOR.RELEASE.BUILD, e.g. 2.2.0.24. The numbers come from the
// build (cmake/Version.cmake); the Windows library carries the same numbers in
// its version resource.
#pragma once

namespace qvt {

struct TVersion {
  int Major = 0;
  int Minor = 0;
  int Release = 0;
  int Build = 0;
};

TVersion ProductVersion();
// The four numbers joined by dots: "2.2.0.24".
const char* ProductVersionText();
// The version the running library declares: on Windows its version resource's
// file version (what the file's properties show), elsewhere ProductVersion().
TVersion ModuleVersion();

} // namespace qvt
