#include "wininet/LastResponse.h"

namespace {

struct Response {
    int code = 0;
    std::wstring text;
};

Response& ThreadResponse() {
    thread_local Response response;
    return response;
}

}  // namespace

void RecordLastResponse(int code, const std::wstring& text) {
    ThreadResponse().code = code;
    ThreadResponse().text = text;
}

int LastResponseCode() { return ThreadResponse().code; }

const std::wstring& LastResponseText() { return ThreadResponse().text; }
