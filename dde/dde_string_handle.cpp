// DdeStringHandle: the one place the link makes and frees string handles.
#include "dde/dde_string_handle.h"

void DdeStringHandle::Create(IDdeml& ddeml, std::uint32_t instance, const std::string& text) {
    Release();
    ddeml_ = &ddeml;
    instance_ = instance;
    handle_ = ddeml.DdeCreateStringHandleA(instance, text.c_str(),
                                           static_cast<std::int32_t>(ddeml::kCpWinAnsi));
}

void DdeStringHandle::Release() {
    if (handle_ == 0) return;
    const std::uintptr_t handle = handle_;
    handle_ = 0;
    ddeml_->DdeFreeStringHandle(instance_, handle);
}
