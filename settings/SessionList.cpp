#include "settings/SessionList.h"

#include <cwchar>

#include "framework/TextUtil.h"
#include "settings/ProtectedPassword.h"
#include "settings/RegStore.h"

namespace {

const wchar_t sessionsKey[] = L"Sessions";
const wchar_t hostValue[] = L"Host";
// Only read: a session saved before passwords were sealed keeps its login.
const wchar_t plainPasswordValue[] = L"Password";
const wchar_t sealedPasswordValue[] = L"SealedPassword";
const wchar_t plainLoginValue[] = L"bPlainLogin";
const wchar_t userValue[] = L"User";
const wchar_t portValue[] = L"Port";
const wchar_t saveHostValue[] = L"bSaveHost";
const wchar_t savePasswordValue[] = L"bSavePassword";
const wchar_t anonymousValue[] = L"bAnonymous";
const wchar_t encryptionValue[] = L"Encryption";
const wchar_t serverOffsetValue[] = L"Server Time Offset";
const wchar_t protocolValue[] = L"Protocol";
const wchar_t keyFileValue[] = L"KeyFile";

// The registry refuses key names longer than this.
const size_t maxKeyNameLength = 255;

void ReadText(RegStore& store, const wchar_t* name, const wchar_t* valueName, wchar_t* field,
              size_t capacity) {
    CopyTextCut(field, capacity, store.ReadString(sessionsKey, name, valueName, L"").GetText());
}

// A sealed password that cannot be opened here counts as none saved: the
// Connect dialog then shows an empty password box.
void ReadPassword(RegStore& store, const wchar_t* name, SessionInfo& session) {
    std::string sealed;
    if (store.ReadBinary(sessionsKey, name, sealedPasswordValue, sealed))
        ProtectedPassword::Open(sealed, session.password, ARRAYSIZE(session.password));
    else
        ReadText(store, name, plainPasswordValue, session.password, ARRAYSIZE(session.password));
}

// The plain value goes whenever a session is saved; a password that cannot be
// sealed is not stored at all, and the save says it failed.
bool WritePassword(RegStore& store, const SessionInfo& session) {
    const wchar_t* name = session.name;
    bool written = store.DeleteValue(sessionsKey, name, plainPasswordValue);
    // A password the user chose not to save never reaches the registry.
    if (!session.bSavePassword || session.password[0] == L'\0')
        return written & store.DeleteValue(sessionsKey, name, sealedPasswordValue);
    std::string sealed = ProtectedPassword::Seal(session.password);
    if (sealed.empty()) {
        store.DeleteValue(sessionsKey, name, sealedPasswordValue);
        return false;
    }
    return written & store.WriteBinary(sessionsKey, name, sealedPasswordValue, sealed);
}

SessionInfo ReadSession(RegStore& store, const wchar_t* name) {
    SessionInfo session = {};
    CopyTextCut(session.name, name);
    ReadText(store, name, hostValue, session.host, ARRAYSIZE(session.host));
    ReadPassword(store, name, session);
    ReadText(store, name, userValue, session.user, ARRAYSIZE(session.user));
    session.port = store.ReadDword(sessionsKey, name, portValue, 0);
    session.bSaveHost = store.ReadDword(sessionsKey, name, saveHostValue, 0);
    session.bSavePassword = store.ReadDword(sessionsKey, name, savePasswordValue, 0);
    session.bAnonymous = store.ReadDword(sessionsKey, name, anonymousValue, 0);
    // A value of no known meaning asks for the most protection, never less.
    session.encryption = store.ReadDword(sessionsKey, name, encryptionValue, kPlainFtp);
    if (session.encryption > kTlsIfAvailable) session.encryption = kRequireTls;
    session.bPlainLogin = store.ReadDword(sessionsKey, name, plainLoginValue, 0) != 0;
    // An offset no zone has means no offset: its times are then never compared.
    LONG offset = LONG(store.ReadDword(sessionsKey, name, serverOffsetValue, kNoServerOffset));
    bool known = offset >= kMinServerOffset && offset <= kMaxServerOffset;
    session.serverTimeOffset = known ? offset : kNoServerOffset;
    // A protocol of no known meaning falls back to the one every old session spoke.
    DWORD protocol = store.ReadDword(sessionsKey, name, protocolValue, kProtocolFtp);
    session.protocol = protocol == kProtocolSftp ? kProtocolSftp : kProtocolFtp;
    // A path too long to hold is dropped, never cut: a cut path could name another file.
    CopyText(session.keyFile, store.ReadString(sessionsKey, name, keyFileValue, L"").GetText());
    return session;
}

bool WriteSession(RegStore& store, const SessionInfo& session) {
    const wchar_t* name = session.name;
    bool written = store.WriteString(sessionsKey, name, hostValue, session.host);
    written &= WritePassword(store, session);
    written &= store.WriteString(sessionsKey, name, userValue, session.user);
    written &= store.WriteDword(sessionsKey, name, portValue, session.port);
    written &= store.WriteDword(sessionsKey, name, saveHostValue, session.bSaveHost);
    written &= store.WriteDword(sessionsKey, name, savePasswordValue, session.bSavePassword);
    written &= store.WriteDword(sessionsKey, name, anonymousValue, session.bAnonymous);
    written &= store.WriteDword(sessionsKey, name, encryptionValue, session.encryption);
    written &= store.WriteDword(sessionsKey, name, plainLoginValue, session.bPlainLogin);
    written &=
        store.WriteDword(sessionsKey, name, serverOffsetValue, DWORD(session.serverTimeOffset));
    written &= store.WriteDword(sessionsKey, name, protocolValue, session.protocol);
    written &= store.WriteString(sessionsKey, name, keyFileValue, session.keyFile);
    return written;
}

}  // namespace

SessionList::SessionList() {}

SessionList::~SessionList() {
    while (!sessions.IsEmpty()) delete sessions.RemoveHead();
}

bool SessionList::IsStorableName(const wchar_t* name) {
    return name && name[0] != L'\0' && !wcschr(name, L'\\') &&
           wcsnlen(name, maxKeyNameLength + 1) <= maxKeyNameLength;
}

SessionList::Sessions::Node* SessionList::FindNode(const wchar_t* name) const {
    if (!name) return nullptr;
    for (Sessions::Node* node = sessions.GetHead(); node; node = node->next)
        if (wcscmp(node->element->name, name) == 0) return node;
    return nullptr;
}

bool SessionList::HasKeyClash(const wchar_t* name) const {
    for (Sessions::Node* node = sessions.GetHead(); node; node = node->next)
        if (CompareStringOrdinal(node->element->name, -1, name, -1, TRUE) == CSTR_EQUAL)
            return true;
    return false;
}

bool SessionList::AddIfAbsent(const SessionInfo& session) {
    if (!IsStorableName(session.name) || HasKeyClash(session.name)) return false;
    sessions.AddTail(new SessionInfo(session));
    return true;
}

SessionInfo* SessionList::FindByName(const wchar_t* name) {
    Sessions::Node* node = FindNode(name);
    return node ? node->element : nullptr;
}

bool SessionList::RemoveByName(const wchar_t* name) {
    Sessions::Node* node = FindNode(name);
    if (!node) return false;
    delete node->element;
    sessions.RemoveNode(node);
    return true;
}

bool SessionList::Replace(const SessionInfo& session) {
    SessionInfo* listed = FindByName(session.name);
    if (listed) *listed = session;
    return listed != nullptr;
}

SessionInfo* SessionList::RemoveHead() {
    return sessions.IsEmpty() ? nullptr : sessions.RemoveHead();
}

void SessionList::CopyNames(PtrList<WString*>& names) const {
    for (Sessions::Node* node = sessions.GetHead(); node; node = node->next)
        names.AddTail(new WString(node->element->name));
}

void SessionList::Load(RegStore& store) {
    PtrList<WString*> names;
    store.EnumSubkeys(sessionsKey, names);
    while (!names.IsEmpty()) {
        WString* name = names.RemoveHead();
        AddIfAbsent(ReadSession(store, name->GetText()));
        delete name;
    }
}

// Saved whenever the list changes, so a kill loses nothing: the keys of removed
// sessions go first (a renamed key may differ in case only), then every
// session is written over its own key; the others are never touched.
bool SessionList::Save(RegStore& store) {
    PtrList<WString*> stored;
    store.EnumSubkeys(sessionsKey, stored);
    bool saved = true;
    while (!stored.IsEmpty()) {
        WString* name = stored.RemoveHead();
        if (!FindNode(name->GetText())) saved &= store.DeleteKey(sessionsKey, name->GetText());
        delete name;
    }
    for (Sessions::Node* node = sessions.GetHead(); node; node = node->next)
        saved &= WriteSession(store, *node->element);
    return saved;
}
