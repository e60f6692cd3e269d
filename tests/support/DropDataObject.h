#pragma once
// Windows only: a data object holding a file drop (CF_HDROP) of the given paths, as the shell hands
// one to a context-menu handler.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace corvane::testing {

class DropDataObject final : public IDataObject {
  public:
    // How GetData answers: with the drop, with no data at all, or with a medium that is no drop.
    enum class Answer { Drop, NoData, StreamMedium };

    explicit DropDataObject(std::vector<std::wstring> paths, Answer answer = Answer::Drop)
        : paths_(std::move(paths)), answer_(answer) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) return E_NOINTERFACE;
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refCount_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG count = --refCount_;
        if (count == 0) delete this;
        return count;
    }

    // A fresh copy each time: the caller frees the medium.
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_HDROP || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
        if (answer_ == Answer::NoData) return DV_E_FORMATETC;
        if (answer_ == Answer::StreamMedium) {
            medium->tymed = TYMED_ISTREAM;
            medium->pUnkForRelease = nullptr;
            return CreateStreamOnHGlobal(nullptr, TRUE, &medium->pstm);
        }
        std::wstring list;
        for (const std::wstring& path : paths_)
            list += path + L'\0';
        list += L'\0';
        SIZE_T bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GHND, bytes);
        if (!memory) return E_OUTOFMEMORY;
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override {
        *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

  private:
    ~DropDataObject() = default;
    ULONG refCount_ = 1;
    std::vector<std::wstring> paths_;
    Answer answer_;
};

}  // namespace corvane::testing
