// What a test program needs to talk to the stand-in service that the test
// fixture "standin" started: its address, and the requests it recorded.
// The fixture passes the service's state directory in the environment
// variable STANDIN_STATE (a path of the build machine; under Wine it is
// reached through the drive that maps the root).
#pragma once

#include "text/Text.h"

#include <string>

// The state directory as this program opens it; empty when STANDIN_STATE is
// not set.
std::string StandInStateDir();

// The HTTPS port the service listens on, or 0 when it is not running.
int StandInPort();

// A port on 127.0.0.1 that is bound but not listening: connections to it are
// refused.
int StandInRefusedPort();

// "https://127.0.0.1:PORT" followed by `pathAndQuery`.
Text StandInUrl(const Text& pathAndQuery);

// A tag no other request of this run carries, for finding one's own request
// among the recorded ones: `prefix`, the process id and a counter.
Text UniqueTag(const Text& prefix);

// The recorded request (head and body, byte for byte) whose request line
// contains `tag`; empty when none was recorded.
Text RecordedRequest(const Text& tag);

// The number of recorded requests whose request line contains `tag`.
int RecordedRequestCount(const Text& tag);

// A file of the state directory (e.g. "uploads/000012/name"), byte for byte;
// empty when it does not exist.
Text StandInFile(const std::string& relativePath);
