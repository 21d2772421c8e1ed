#include "wininet/LastResponse.h"

#include "wininet/ThreadSlot.h"

namespace {

struct Response {
    int code = 0;
    std::wstring text;
};

ThreadSlot<Response> responses;

}  // namespace

void RecordLastResponse(int code, const std::wstring& text) {
    Response& response = responses.Get();
    response.code = code;
    response.text = text;
}

int LastResponseCode() { return responses.Get().code; }

const std::wstring& LastResponseText() { return responses.Get().text; }
