#include "wininet/LastResponse.h"

#include "wininet/ThreadSlot.h"

namespace {

struct Response {
    int code = 0;
    std::wstring text;
};

ThreadSlot<Response> responses;

Response& ThreadResponse() { return responses.Get(); }

}  // namespace

void RecordLastResponse(int code, const std::wstring& text) {
    ThreadResponse().code = code;
    ThreadResponse().text = text;
}

int LastResponseCode() { return ThreadResponse().code; }

const std::wstring& LastResponseText() { return ThreadResponse().text; }
