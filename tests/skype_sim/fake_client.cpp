// The fake program window of the simulator tests (see fake_client.h).
#include "fake_client.h"

#include <cstring>

#include "event_log.h"

namespace {
const char kFakeClass[] = "SkypeSimTestClient";
const UINT kSendTimeoutMs = 5000;
}  // namespace

FakeSkypeClient::FakeSkypeClient()
{
    discoverMessage_ = RegisterWindowMessageA("SkypeControlAPIDiscover");
    attachMessage_ = RegisterWindowMessageA("SkypeControlAPIAttach");
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kFakeClass;
    (void)RegisterClassExA(&windowClass);  // already registered by an earlier instance
    window_ = CreateWindowExA(0, kFakeClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakeSkypeClient::~FakeSkypeClient()
{
    Close();
}

void FakeSkypeClient::Close()
{
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

LRESULT CALLBACK FakeSkypeClient::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    FakeSkypeClient* self =
        reinterpret_cast<FakeSkypeClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == self->attachMessage_ && message != 0) {
        AttachSeen seen = {unsigned(lParam), reinterpret_cast<HWND>(wParam), self->inBroadcast_};
        self->attaches_.push_back(seen);
        if (lParam == 0)
            self->apiWindow_ = seen.apiWindow;
        return 1;
    }
    if (self && message == WM_COPYDATA)
        return self->OnCopyData(reinterpret_cast<HWND>(wParam),
                                reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FakeSkypeClient::OnCopyData(HWND sender, const COPYDATASTRUCT* data)
{
    if (!data || !data->lpData || data->cbData == 0) {
        framingErrors_.push_back("empty WM_COPYDATA");
        return 0;
    }
    const char* bytes = static_cast<const char*>(data->lpData);
    size_t length = strnlen(bytes, data->cbData);
    std::string text(bytes, length);
    // Skype counts the NUL in cbData and sends dwData 0.
    if (length + 1 != data->cbData)
        framingErrors_.push_back(Format("'%s': cbData %lu", text.c_str(), data->cbData));
    if (data->dwData != 0)
        framingErrors_.push_back(Format("'%s': dwData %lu", text.c_str(),
                                        static_cast<unsigned long>(data->dwData)));
    // Before the attach (a client not yet allowed is told ERROR 68) the API window is not known.
    if (apiWindow_ && sender != apiWindow_)
        framingErrors_.push_back("'" + text + "': wParam is not the API window");
    received_.push_back(text);
    return 1;
}

bool FakeSkypeClient::Broadcast(bool posted)
{
    if (posted)
        return PostMessageA(HWND_BROADCAST, discoverMessage_, reinterpret_cast<WPARAM>(window_),
                            0) != 0;
    inBroadcast_ = true;
    DWORD_PTR result = 0;
    LRESULT sent = SendMessageTimeoutA(HWND_BROADCAST, discoverMessage_,
                                       reinterpret_cast<WPARAM>(window_), 0, SMTO_ABORTIFHUNG,
                                       kSendTimeoutMs, &result);
    inBroadcast_ = false;
    return sent != 0;
}

std::vector<std::string> FakeSkypeClient::Command(const std::string& text, LRESULT* result)
{
    return CommandTo(apiWindow_, text, result);
}

std::vector<std::string> FakeSkypeClient::CommandTo(HWND target, const std::string& text,
                                                    LRESULT* result)
{
    size_t before = received_.size();
    COPYDATASTRUCT data = {0, DWORD(text.size() + 1), const_cast<char*>(text.c_str())};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer))
        answer = DWORD_PTR(-1);
    if (result)
        *result = LRESULT(answer);
    return std::vector<std::string>(received_.begin() + long(before), received_.end());
}

bool FakeSkypeClient::HasReceived(const std::string& text) const
{
    for (const std::string& seen : received_)
        if (seen == text)
            return true;
    return false;
}

bool FakeSkypeClient::WaitForText(const std::string& text, DWORD timeoutMs)
{
    return PumpUntil([&] { return HasReceived(text); }, timeoutMs);
}
