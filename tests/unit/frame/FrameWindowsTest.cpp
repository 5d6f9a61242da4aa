// The frame on the real Windows window, message and OLE calls (run under wine with a display).
#ifdef _WIN32

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics/DrawContext.h"
#include "graphics/DropTarget.h"
#include "graphics/ModuleHandle.h"
#include "toolkit/Frame.h"
#include "unit/frame/FrameTestSupport.h"

namespace {

// Dispatches every message that arrives within the given time.
void pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

// Pumps until the condition holds or about five seconds have passed.
template <class Condition>
bool pumpUntil(Condition condition) {
    for (int i = 0; i < 500 && !condition(); i++) pump(10);
    return condition();
}

// Starts a program of the display's host system: wine runs Unix executables directly, but
// does not wait for them nor report their exit code, so callers wait for the effect instead.
bool startUnix(const std::string& commandLine) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Moves the pointer with xdotool and waits until the system sees it there.
bool movePointer(long x, long y) {
    char command[96];
    std::snprintf(command, sizeof command, "/usr/bin/xdotool mousemove %ld %ld", x, y);
    if (!startUnix(command)) return false;
    return pumpUntil([&] {
        POINT cursor;
        GetCursorPos(&cursor);
        return cursor.x == x && cursor.y == y;
    });
}

struct WindowsFrame : ::testing::Test {
    static void SetUpTestSuite() {
        moduleInstance = GetModuleHandleA(nullptr);
        WNDCLASSA hostClass;
        ZeroMemory(&hostClass, sizeof hostClass);
        hostClass.lpfnWndProc = DefWindowProcA;
        hostClass.hInstance = GetModuleHandleA(nullptr);
        hostClass.lpszClassName = "OstraquelleTestHost";
        hostClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        RegisterClassA(&hostClass);  // already there for the second suite
    }
    void SetUp() override {
        host = CreateWindowExA(0, "OstraquelleTestHost", "Host", WS_POPUP | WS_VISIBLE, 200, 150,
                               400, 450, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(host, nullptr) << "CreateWindowExA failed with " << GetLastError();
        pump(50);
    }
    void TearDown() override {
        delete frame;
        if (background) background->release();
        DestroyWindow(host);
        pump(20);
    }
    void open() {
        frame = new Frame(Rect(0, 0, 368, 412), host, nullptr);
        background = new Bitmap(128);
        frame->setBackground(background);
    }
    HWND window() const { return reinterpret_cast<HWND>(frame->getWindow()); }
    RecordingView* add(const Rect& size, bool acceptDrops = false) {
        auto* view = new RecordingView(size, &log, -1, acceptDrops);
        frame->addView(view);
        return view;
    }
    int eventsOf(const View* view, const char* what) const {
        int n = 0;
        for (const auto& e : log) n += e.view == view && e.what == what;
        return n;
    }

    std::vector<ViewEvent> log;
    HWND host = nullptr;
    Frame* frame = nullptr;
    Bitmap* background = nullptr;
};

}  // namespace

TEST_F(WindowsFrame, ARealChildWindowOfOneSharedClassLivesInTheHostsWindow) {
    open();
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(GetParent(window()), host);
    char name[64] = {0};
    GetClassNameA(window(), name, sizeof name);
    char expected[32];
    std::snprintf(expected, sizeof expected, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance)));
    EXPECT_STREQ(name, expected);
    GetWindowTextA(window(), name, sizeof name);
    EXPECT_STREQ(name, "Window");
    LONG style = GetWindowLongA(window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    RECT client;
    GetClientRect(window(), &client);
    EXPECT_EQ(client.right - client.left, 368);
    EXPECT_EQ(client.bottom - client.top, 412);
    EXPECT_EQ(reinterpret_cast<Frame*>(GetWindowLongPtrA(window(), GWLP_USERDATA)), frame);

    WNDCLASSA registered;
    ASSERT_TRUE(GetClassInfoA(static_cast<HINSTANCE>(moduleInstance), expected, &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_GLOBALCLASS));

    // The window is registered for drops: a second registration is refused.
    auto* another = new DropTarget(nullptr);
    another->AddRef();
    EXPECT_EQ(RegisterDragDrop(window(), reinterpret_cast<IDropTarget*>(another)),
              DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(another->Release(), 0u);

    // A second frame shares the class; it goes away with the last window.
    auto* second = new Frame(Rect(0, 0, 40, 40), host, nullptr);
    GetClassNameA(reinterpret_cast<HWND>(second->getWindow()), name, sizeof name);
    EXPECT_STREQ(name, expected);
    delete frame;
    frame = nullptr;
    EXPECT_TRUE(GetClassInfoA(static_cast<HINSTANCE>(moduleInstance), expected, &registered));
    HWND secondWindow = reinterpret_cast<HWND>(second->getWindow());
    delete second;
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_FALSE(GetClassInfoA(static_cast<HINSTANCE>(moduleInstance), expected, &registered));
}

TEST_F(WindowsFrame, ARealPaintMessageRestoresTheDamagedRectangleOnly) {
    open();
    RecordingView* dirty = add(Rect(0, 0, 9, 9));
    RecordingView* touching = add(Rect(50, 50, 60, 60));
    RecordingView* right = add(Rect(51, 10, 60, 20));
    dirty->setDirty(true);
    EXPECT_FALSE(frame->idle());  // nothing before the first paint
    EXPECT_EQ(eventsOf(dirty, "draw"), 0);
    ASSERT_TRUE(pumpUntil([&] { return !frame->isFirstDrawPending(); }));
    dirty->setDirty(true);  // the first paint drew it; make it dirty again for idle below
    log.clear();

    // Mark the damaged area and a bit around it, then let the window repaint a part of it.
    HDC dc = GetDC(window());
    for (int y = 5; y < 56; y++)
        for (int x = 5; x < 56; x++) SetPixel(dc, x, y, RGB(1, 2, 3));
    RECT damaged = {10, 10, 50, 50};
    InvalidateRect(window(), &damaged, FALSE);
    UpdateWindow(window());

    EXPECT_EQ(eventsOf(touching, "drawRect"), 1);
    EXPECT_EQ(touching->lastRect, Rect(10, 10, 50, 50));
    EXPECT_EQ(eventsOf(right, "drawRect"), 0);
    EXPECT_EQ(eventsOf(dirty, "drawRect"), 0);

    HDC reference = CreateCompatibleDC(dc);
    HBITMAP picture = CreateCompatibleBitmap(dc, 368, 412);
    HGDIOBJ old = SelectObject(reference, picture);
    {
        DrawContext context(reinterpret_cast<platform::HDc>(reference), nullptr);
        background->draw(&context, Rect(0, 0, 368, 412), Point(0, 0));
    }
    int mismatches = 0, outsideTouched = 0;
    for (int y = 5; y < 56; y++) {
        for (int x = 5; x < 56; x++) {
            bool inside = x >= 10 && x < 50 && y >= 10 && y < 50;
            COLORREF seen = GetPixel(dc, x, y);
            if (inside)
                mismatches += seen != GetPixel(reference, x, y);
            else
                outsideTouched += seen != RGB(1, 2, 3);
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(outsideTouched, 0);
    SelectObject(reference, old);
    DeleteObject(picture);
    DeleteDC(reference);
    ReleaseDC(window(), dc);

    // After the paint, idle draws the dirty view.
    EXPECT_TRUE(frame->idle());
    EXPECT_EQ(eventsOf(dirty, "draw"), 1);
}

TEST_F(WindowsFrame, DestroyingTheHostsWindowClosesTheFrame) {
    open();
    RecordingView* view = add(Rect(0, 0, 10, 10));
    ASSERT_TRUE(pumpUntil([&] { return !frame->isFirstDrawPending(); }));
    HWND own = window();
    DestroyWindow(host);
    host = nullptr;
    EXPECT_FALSE(IsWindow(own));
    EXPECT_FALSE(frame->isOpen());
    // Revoked while the window still existed; afterwards the revocation would fail and OLE
    // would keep the target.
    EXPECT_FALSE(frame->isDropEnabled());
    log.clear();
    view->setDirty(true);
    EXPECT_FALSE(frame->idle());
    EXPECT_TRUE(log.empty());
    delete frame;  // the window is already gone
    frame = nullptr;
}

TEST_F(WindowsFrame, ARealClickReachesTheViewUnderTheCursorWithWindowCoordinates) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no X display for xdotool";
    open();
    auto* target = new ButtonView(Rect(40, 40, 80, 80), &log);
    frame->addView(target);
    RecordingView* elsewhere = add(Rect(200, 200, 250, 250));
    pump(100);
    log.clear();

    RECT screen;
    GetWindowRect(window(), &screen);
    if (!movePointer(screen.left + 60, screen.top + 55))
        GTEST_SKIP() << "xdotool cannot move the pointer on this display";
    // Press, wait until the view has the click, then release: the view reads the buttons
    // while the press is being handled.
    ASSERT_TRUE(startUnix("/usr/bin/xdotool mousedown 1"));
    bool clicked = pumpUntil([&] { return eventsOf(target, "mouse") > 0; });
    startUnix("/usr/bin/xdotool mouseup 1");
    pumpUntil([] { return GetAsyncKeyState(VK_LBUTTON) >= 0; });
    ASSERT_TRUE(clicked);
    EXPECT_EQ(log[0].where, Point(60, 55));
    EXPECT_NE(target->buttons & kLButton, 0);
    EXPECT_EQ(eventsOf(elsewhere, "mouse"), 0);

    // The secondary button is delivered the same way.
    ASSERT_TRUE(movePointer(screen.left + 225, screen.top + 210));
    ASSERT_TRUE(startUnix("/usr/bin/xdotool click 3"));
    ASSERT_TRUE(pumpUntil([&] { return eventsOf(elsewhere, "mouse") > 0; }));
    EXPECT_EQ(log.back().where, Point(225, 210));
}

namespace {

// A data object of the test's own, offering text, files or both as global memory.
class TestDataObject : public IDataObject {
public:
    std::string text;
    std::vector<std::string> files;
    bool offerText = false;
    bool offerFiles = false;
    IStream* stream = nullptr;  // when set, text is answered with this stream instead

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        if (stream && format->cfFormat == CF_TEXT) {
            stream->AddRef();
            medium->tymed = TYMED_ISTREAM;
            medium->pstm = stream;
            medium->pUnkForRelease = nullptr;
            return S_OK;
        }
        HGLOBAL global = format->cfFormat == CF_TEXT ? textBlock() : fileBlock();
        if (!global) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;  // the receiver frees the block
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        if (format->cfFormat == CF_TEXT && offerText) return S_OK;
        if (format->cfFormat == CF_HDROP && offerFiles) return S_OK;
        return DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    HGLOBAL textBlock() const {
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (!global) return nullptr;
        std::memcpy(GlobalLock(global), text.c_str(), text.size() + 1);
        GlobalUnlock(global);
        return global;
    }
    HGLOBAL fileBlock() const {
        size_t names = 1;
        for (const auto& f : files) names += f.size() + 1;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names);
        if (!global) return nullptr;
        auto* header = static_cast<DROPFILES*>(GlobalLock(global));
        header->pFiles = sizeof(DROPFILES);
        header->fWide = FALSE;
        char* out = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
        for (const auto& f : files) {
            std::memcpy(out, f.c_str(), f.size() + 1);
            out += f.size() + 1;
        }
        GlobalUnlock(global);
        return global;
    }
    ULONG references = 1;
};

struct WindowsDrop : WindowsFrame {
    void SetUp() override {
        WindowsFrame::SetUp();
        open();
        // Covers wherever the cursor may be.
        target = add(Rect(-20000, -20000, 20000, 20000), true);
        log.clear();
        // The interface as OLE sees it, asked from the object itself. (Calling through a
        // reinterpret_cast of the fresh object would let the compiler see two unrelated types
        // and drop the call.)
        auto* ours = new DropTarget(frame);
        void* object = nullptr;
        ASSERT_EQ(ours->QueryInterface(platform::kIidDropTarget, &object), platform::kComOk);
        dropTarget = static_cast<IDropTarget*>(object);
    }
    void TearDown() override {
        if (dropTarget) {
            EXPECT_EQ(dropTarget->Release(), 0u);
        }
        WindowsFrame::TearDown();
    }
    DWORD drop(TestDataObject& data, DWORD keys = 0) {
        POINTL point = {0, 0};
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        dropTarget->DragEnter(&data, keys, point, &effect);
        DWORD entered = effect;
        dropTarget->Drop(&data, keys, point, &effect);
        return entered;
    }
    RecordingView* target = nullptr;
    IDropTarget* dropTarget = nullptr;
};

std::string tempDirectory() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string dir =
        std::string(base) + "ostraquelle frame test " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void writeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, nullptr);
    CloseHandle(file);
}

bool createShortcut(const std::string& linkPath, const std::string& targetPath) {
    IShellLinkA* link = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&link)) != S_OK)
        return false;
    link->SetPath(targetPath.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) == S_OK) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
        saved = file->Save(wide, TRUE) == S_OK;
        file->Release();
    }
    link->Release();
    return saved;
}

}  // namespace

TEST_F(WindowsDrop, OurDataObjectsTextAndFilesReachTheViewTextWinningOverFiles) {
    TestDataObject text;
    text.offerText = true;
    text.text = "spoken words";
    EXPECT_EQ(drop(text, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_COPY));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(target->dropType, 1);
    EXPECT_GE(target->dropCount, 13);  // the block's size as the system reports it
    EXPECT_EQ(target->dropped, std::vector<std::string>{"spoken words"});

    TestDataObject files;
    files.offerFiles = true;
    files.files = {"C:\\voice.wav", "C:\\carrier.wav"};
    EXPECT_EQ(drop(files), static_cast<DWORD>(DROPEFFECT_MOVE));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(target->dropType, 0);
    EXPECT_EQ(target->dropCount, 2);
    EXPECT_EQ(target->dropped, (std::vector<std::string>{"C:\\voice.wav", "C:\\carrier.wav"}));

    TestDataObject both;
    both.offerText = true;
    both.text = "text first";
    both.offerFiles = true;
    both.files = {"C:\\voice.wav"};
    drop(both);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(target->dropType, 1);
    EXPECT_EQ(target->dropped, std::vector<std::string>{"text first"});

    TestDataObject nothing;
    EXPECT_EQ(drop(nothing, MK_CONTROL), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(WindowsDrop, TextAnsweredAsAStreamIsRefusedAndTheStreamReleased) {
    TestDataObject streamed;
    streamed.offerText = true;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &streamed.stream), S_OK);
    ULONG written = 0;
    streamed.stream->Write("stream words", 13, &written);
    drop(streamed);
    EXPECT_TRUE(log.empty());                   // nothing read from the stream as if it were memory
    EXPECT_EQ(streamed.stream->Release(), 0u);  // every medium handed out was released
}

TEST_F(WindowsDrop, AShortcutIsReplacedByItsTargetsShortPath) {
    std::string dir = tempDirectory();
    std::string targetFile = dir + "\\A rather long target name.txt";
    std::string plainFile = dir + "\\plain.txt";
    std::string linkFile = dir + "\\Shortcut to target.LNK";
    writeFile(targetFile);
    writeFile(plainFile);
    ASSERT_TRUE(createShortcut(linkFile, targetFile));
    char shortPath[MAX_PATH] = {0};
    ASSERT_NE(GetShortPathNameA(targetFile.c_str(), shortPath, MAX_PATH), 0u);

    TestDataObject files;
    files.offerFiles = true;
    files.files = {linkFile, plainFile};
    drop(files);
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(target->dropped.size(), 2u);
    EXPECT_STREQ(target->dropped[0].c_str(), shortPath);
    EXPECT_EQ(target->dropped[1], plainFile);

    // A shortcut whose file is gone stays as it was.
    std::string broken = dir + "\\missing.lnk";
    files.files = {broken};
    drop(files);
    EXPECT_EQ(target->dropped, std::vector<std::string>{broken});

    DeleteFileA(linkFile.c_str());
    DeleteFileA(targetFile.c_str());
    DeleteFileA(plainFile.c_str());
    RemoveDirectoryA(dir.c_str());
}

#endif
