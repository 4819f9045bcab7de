#include "message_boxes.h"

#include "window_facts.h"

namespace {

struct BoxSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectBoxes(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<BoxSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == search->processId && IsWindowVisible(hwnd) && ClassNameOf(hwnd) == "#32770")
        search->found.push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> MessageBoxesOf(DWORD processId)
{
    BoxSearch search{processId, {}};
    EnumWindows(CollectBoxes, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> boxes = MessageBoxesOf(processId);
        if (!boxes.empty())
            return boxes.front();
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content;
    content.title = TextOf(box).value_or("");
    for (HWND child : ChildrenOf(box)) {
        std::string className = ClassNameOf(child);
        std::string text = TextOf(child).value_or("");
        if (className == "Button")
            content.buttons.push_back(text);
        else if (className == "Static" && (StyleOf(child) & SS_TYPEMASK) != SS_ICON && !text.empty())
            content.text = text;
    }
    return content;
}

bool PressOk(HWND box, DWORD timeoutMs)
{
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok)
        return false;
    PostMessageA(ok, BM_CLICK, 0, 0);
    DWORD start = GetTickCount();
    while (IsWindow(box)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}
