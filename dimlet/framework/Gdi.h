#pragma once

#include "common/UniqueHandle.h"

#include <windows.h>

class CWnd;

// Owns a GDI object and deletes it when destroyed.
class CGdiObject {
public:
    HGDIOBJ handle() const { return object.get(); }
    void attach(HGDIOBJ h) { object.reset(h); }
    void deleteObject() { object.reset(); }

private:
    GdiHandle<HGDIOBJ> object;
};

class CFont : public CGdiObject {
public:
    bool createFontIndirect(const LOGFONTW& font) {
        attach(CreateFontIndirectW(&font));
        return handle() != nullptr;
    }
    HFONT font() const { return static_cast<HFONT>(handle()); }
};

class CBitmap : public CGdiObject {
public:
    // From the resource module.
    bool loadBitmap(UINT id);
    bool getBitmap(BITMAP& info) const {
        return handle() && GetObjectW(handle(), sizeof(info), &info) == sizeof(info);
    }
    HBITMAP bitmap() const { return static_cast<HBITMAP>(handle()); }
};

// A device context that someone else owns, such as the one WM_CTLCOLOR hands over.
class CDC {
public:
    explicit CDC(HDC dc) : hdc(dc) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC handle() const { return hdc; }
    COLORREF setTextColor(COLORREF colour) { return SetTextColor(hdc, colour); }
    HGDIOBJ selectObject(HGDIOBJ object) { return SelectObject(hdc, object); }

protected:
    HDC hdc;
};

// The device context of WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd& window);
    ~CPaintDC();
    const PAINTSTRUCT& paintStruct() const { return paint; }

private:
    HWND hwnd;
    PAINTSTRUCT paint{};
};

// A memory device context compatible with another one, deleted on destruction.
class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(const CDC& compatibleWith)
        : CDC(CreateCompatibleDC(compatibleWith.handle())) {}
    ~CMemoryDC() {
        if (hdc)
            DeleteDC(hdc);
    }
};
