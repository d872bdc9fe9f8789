// In-process fixture: recording handset entry points, fake Skype window, real main window.
#include "app_fixture.h"

#include "app/main_window.h"
#include "audio/tone_device.h"
#include "core/app_state.h"
#include "fake_audio_devices.h"
#include "fake_shell.h"
#include "handset/handset_api.h"

namespace {
const char kOwnClass[] = "UnitTestMainWindow";
const char kFakeSkypeClass[] = "UnitTestFakeSkype";

std::map<std::string, std::string> g_replies;

int __cdecl RecordOpen(HWND) { SharedLog().Add("open"); return 0; }
int __cdecl RecordBind(PFN_USBPHONE_KEY_CALLBACK, PFN_USBPHONE_PLUG_CALLBACK) { SharedLog().Add("bind"); return 0; }
int __cdecl RecordRing(int on) { SharedLog().Add(Format("ring %d", on)); return 0; }
int __cdecl RecordLight(int on) { SharedLog().Add(Format("light %d", on)); return 0; }
int __cdecl RecordClose() { SharedLog().Add("close"); return 0; }
int __cdecl RecordDisplay(LcdRequest request)
{
    SharedLog().Add(LcdEntry(request.mode, request.on, request.param, request.text,
                             request.textOn));
    return 0;
}

LRESULT CALLBACK FakeSkypeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_app.discoverMessage && message != 0 &&
        reinterpret_cast<HWND>(wParam) == g_app.ownWindow) {
        SharedLog().Add("discover");
        return 0;
    }
    if (message != WM_COPYDATA)
        return DefWindowProcA(window, message, wParam, lParam);
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    std::string text(static_cast<const char*>(data->lpData));
    if (data->dwData != 0 || data->cbData != text.size() + 1 ||
        reinterpret_cast<HWND>(wParam) != g_app.ownWindow)
        SharedLog().Add(Format("skype BAD FRAME dwData=%lu cbData=%lu for %s",
                               static_cast<unsigned long>(data->dwData),
                               static_cast<unsigned long>(data->cbData), text.c_str()));
    SharedLog().Add("skype " + text);
    auto reply = g_replies.find(text);
    if (reply != g_replies.end()) {
        std::string answer = reply->second;
        COPYDATASTRUCT back = {0, DWORD(answer.size() + 1), &answer[0]};
        SendMessageA(reinterpret_cast<HWND>(wParam), WM_COPYDATA, WPARAM(window),
                     LPARAM(&back));
    }
    return 1;
}

void RegisterClassOnce(const char* name, WNDPROC proc)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
}
} // namespace

std::string LcdEntry(int mode, int on, int param, const char* text, int textOn)
{
    std::string shown = text ? "\"" + std::string(text) + "\"" : "null";
    return Format("lcd mode=%d on=%d param=%d text=%s textOn=%d", mode, on, param,
                  shown.c_str(), textOn);
}

void AppFixture::Build()
{
    ResetAppState();
    ResetFakeShell();
    g_replies.clear();
    g_handsetApi = HandsetApi();
    g_handsetApi.module = GetModuleHandleA(nullptr); // any module: the slots are ours
    g_handsetApi.USBPhone_Open = RecordOpen;
    g_handsetApi.USBPhone_Bind = RecordBind;
    g_handsetApi.USBPhone_Ring = RecordRing;
    g_handsetApi.USBPhone_Light = RecordLight;
    g_handsetApi.USBPhone_DisplayLCD = RecordDisplay;
    g_handsetApi.USBPhone_Close = RecordClose;

    RegisterClassOnce(kOwnClass, MainWindowProc);
    RegisterClassOnce(kFakeSkypeClass, FakeSkypeProc);
    ownWindow = CreateWindowExA(0, kOwnClass, "unit", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    fakeSkype = CreateWindowExA(0, kFakeSkypeClass, "fake skype api", WS_OVERLAPPEDWINDOW, 0,
                                0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    g_app.ownWindow = ownWindow;
    g_app.instance = GetModuleHandleA(nullptr);
    g_app.attachMessage = RegisterWindowMessageA("SkypeControlAPIAttach");
    g_app.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    g_app.discoverMessage = RegisterWindowMessageA("UnitTestDiscoverNobodyAnswers");
    SharedLog().Clear();
}

void AppFixture::Dismantle()
{
    CloseToneDevice(); // held by a tone of the test
    FakeAudioDevicesReal();
    DestroyWindow(fakeSkype);
    DestroyWindow(ownWindow);
    g_handsetApi = HandsetApi();
    ResetAppState();
}

void AppFixture::Attach()
{
    g_app.skypeApiWindow = fakeSkype;
}

LRESULT AppFixture::Notify(const char* text)
{
    COPYDATASTRUCT data = {0, DWORD(strlen(text) + 1), const_cast<char*>(text)};
    return SendMessageA(ownWindow, WM_COPYDATA, WPARAM(fakeSkype), LPARAM(&data));
}

void AppFixture::ReplyTo(const std::string& command, const std::string& reply)
{
    g_replies[command] = reply;
}
