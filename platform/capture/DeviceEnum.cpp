#include "platform/capture/DeviceEnum.h"

HRESULT IMoniker::GetDisplayName(std::u16string* name) const {
    if (!name)
        return E_POINTER;
    *name = m_entry.displayName;
    return S_OK;
}

HRESULT IMoniker::ReadFriendlyName(std::u16string* name) const {
    if (!name)
        return E_POINTER;
    if (!m_entry.friendlyNameReadable)
        return E_FAIL;
    *name = m_entry.friendlyName;
    return S_OK;
}

HRESULT IMoniker::IsEqual(const IMoniker* other) const {
    if (!other)
        return E_POINTER;
    return other->m_entry.displayName == m_entry.displayName ? S_OK : S_FALSE;
}

HRESULT IMoniker::BindToFilter(std::shared_ptr<IBaseFilter>* filter) const {
    if (!filter)
        return E_POINTER;
    filter->reset();
    auto session = ms::capture::ActiveBackend().Open(m_entry);
    if (!session)
        return HRESULT_DEVICE_NOT_CONNECTED;
    *filter = CaptureFilter::Create(std::move(session));
    return S_OK;
}

HRESULT ICreateDevEnum::Create(std::shared_ptr<ICreateDevEnum>* devEnum) {
    if (!devEnum)
        return E_POINTER;
    *devEnum = std::make_shared<ICreateDevEnum>();
    return S_OK;
}

HRESULT ICreateDevEnum::CreateClassEnumerator(const GUID& category,
                                              std::vector<std::shared_ptr<IMoniker>>* monikers) {
    if (!monikers)
        return E_POINTER;
    monikers->clear();
    if (!(category == CLSID_VideoInputDeviceCategory))
        return S_FALSE;
    for (auto& e : ms::capture::ActiveBackend().ListDevices())
        monikers->push_back(std::make_shared<IMoniker>(std::move(e)));
    return monikers->empty() ? S_FALSE : S_OK;
}

std::vector<std::u16string> PresentImagingDeviceHardwareIds() {
    return ms::capture::ActiveBackend().PresentHardwareIdLists();
}
