#pragma once

#include <string>

// Remote names that Windows cannot hold come down under a local name of their
// own and go up again under the original, so a round trip keeps every name.
//
// A name Windows stores as it stands keeps it. Any other is mapped: each
// character Windows refuses (< > : " | ? * and control characters), the last
// character of a device name ("CON", "lpt1.txt"), a trailing dot or blank, and
// every "%" become "%" and the two upper-case hex digits of its code: "a:b" is
// stored as "a%3Ab", "CON" as "CO%4E", "50%?" as "50%25%3F".
//
// A local name is read back as mapped only when it is exactly the mapping of
// the name it decodes to: "a%3Ab" goes up as "a:b", while "50%", "a%41" and
// "a%3ab" go up as they are. So that no two remote names share a local one, a
// remote name that Windows could store but that would read back as mapped
// ("a%3Ab" itself) is mapped too ("a%253Ab").

// The local name of a remote entry; empty for a name that is refused because
// it could lead out of its folder (empty, "." or "..", a "/", "\" or NUL,
// longer than a path may be). A line break, which SFTP names may hold, is mapped.
std::wstring LocalNameFor(const std::wstring& remote);

// The remote name of a local entry: the original of a mapped name, any other
// name unchanged.
std::wstring RemoteNameFor(const std::wstring& local);
