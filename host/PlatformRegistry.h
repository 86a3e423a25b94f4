#pragma once
#include "Registry.h"

#include <memory>

namespace host {

// The system's registry: advapi32 on Windows, a read-only stand-in elsewhere (see posix/).
class PlatformRegistry final : public Registry {
public:
    PlatformRegistry();
    ~PlatformRegistry() override;

    long openKey(KeyHandle root, const QByteArray& subKey, std::uint32_t options, std::uint32_t samDesired,
                       KeyHandle* result) override;
    long queryValue(KeyHandle key, const QByteArray& valueName, std::uint32_t* type, unsigned char* data,
                          std::uint32_t* count) override;
    long closeKey(KeyHandle key) override;

private:
    // What each platform keeps between calls.
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace host
