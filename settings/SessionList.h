#pragma once

#include <cstddef>

#include "framework/PtrList.h"
#include "framework/WString.h"
#include "settings/SessionInfo.h"

class RegStore;

// The saved sessions, in registry enumeration order. The list owns its records;
// names are unique and compared case-sensitively.
class SessionList {
  public:
    SessionList();
    SessionList(const SessionList&) = delete;
    SessionList& operator=(const SessionList&) = delete;
    virtual ~SessionList();

    // False when the name is taken (the old record stays as it was) or cannot
    // name a registry key of its own: empty, holding a backslash, too long, or
    // differing from a listed name in letter case only (registry key names
    // ignore case, so the two would be saved into one key).
    bool AddIfAbsent(const SessionInfo& session);
    // Exact, case-sensitive match.
    SessionInfo* FindByName(const wchar_t* name);
    bool RemoveByName(const wchar_t* name);
    // Copies the record over the listed one of the same name; false when there is none.
    bool Replace(const SessionInfo& session);
    // Hands the first record to the caller, who deletes it; null when empty.
    SessionInfo* RemoveHead();
    size_t GetCount() const { return sessions.GetCount(); }
    // Appends a heap copy of every name; the caller deletes them.
    void CopyNames(PtrList<WString*>& names) const;

    void Load(RegStore& store);
    // False when a write failed; the store keeps the reason.
    bool Save(RegStore& store);

    static bool IsStorableName(const wchar_t* name);

  private:
    using Sessions = PtrList<SessionInfo*>;
    Sessions::Node* FindNode(const wchar_t* name) const;
    bool HasKeyClash(const wchar_t* name) const;

    Sessions sessions;
};
