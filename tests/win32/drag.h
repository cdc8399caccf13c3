// A real OLE drag of data onto a window, as another program makes one: the
// data object (a file list, in global memory or in a stream, or plain text),
// a drop source that lets go at once, and the blocks another program may hand
// over.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "pump.h"

namespace quorvel::win32 {

// Dragged data holding either a file list or plain text.
class DataObject final : public IDataObject {
public:
    // medium: how the data is handed over; another program may hand a list
    // over in a stream although global memory was asked for.
    DataObject(CLIPFORMAT format, HGLOBAL data, DWORD medium = TYMED_HGLOBAL)
        : format_(format), data_(data), medium_(medium) {}
    virtual ~DataObject() { GlobalFree(data_); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG refs = --refs_;
        if (refs == 0) delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const SIZE_T size = GlobalSize(data_);
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(copy), GlobalLock(data_), size);
        GlobalUnlock(copy);
        GlobalUnlock(data_);
        medium->pUnkForRelease = nullptr;
        if (medium_ == TYMED_ISTREAM) {
            medium->tymed = TYMED_ISTREAM;
            return CreateStreamOnHGlobal(copy, TRUE, &medium->pstm);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC format{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    CLIPFORMAT format_;
    HGLOBAL data_;
    DWORD medium_;
    ULONG refs_ = 1;
};

// Lets go at once: the drop lands where the pointer rests.
class DropSource final : public IDropSource {
public:
    virtual ~DropSource() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
        return escape ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// A DROPFILES block as another program may hand it over: any header, then
// the given bytes.
inline HGLOBAL RawFileList(DWORD pFiles, BOOL wide, const std::string& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = pFiles;
    drop->fWide = wide;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

inline HGLOBAL FileList(const std::vector<std::wstring>& paths) {
    std::wstring joined;
    for (const auto& p : paths) joined += p + L'\0';
    joined += L'\0';
    return RawFileList(sizeof(DROPFILES), TRUE,
                       std::string(reinterpret_cast<const char*>(joined.data()), joined.size() * sizeof(wchar_t)));
}

inline HGLOBAL PlainText(const std::wstring& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

// Drags the data onto whatever lies under the pointer and lets go there.
inline void Drag(CLIPFORMAT format, HGLOBAL data, DWORD medium = TYMED_HGLOBAL) {
    auto* object = new DataObject(format, data, medium);
    DropSource source;
    DWORD effect = 0;
    DoDragDrop(object, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
    object->Release();
    Pump(50);
}

}  // namespace quorvel::win32
