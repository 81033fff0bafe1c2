// Pieces every page fixture shares: a recorder in front of the hub and a fixed adapter list.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/ZavroDlg.h"
#include "platform/Adapters.h"

namespace zavro::test {

// Stands in front of the hub and records every page-open message a page sends.
class HubRecorder final : public IMessageTarget {
public:
    explicit HubRecorder(CZavroDlg& hub) : m_hub(hub) {}
    long OnMessage(unsigned message) override {
        sent.push_back(message);
        return m_hub.OnMessage(message);
    }
    std::vector<unsigned> sent;

private:
    CZavroDlg& m_hub;
};

// Adapter list whose first adapter has a fixed address.
class FixedAdapters final : public IAdapterList {
public:
    std::optional<std::vector<std::uint8_t>> address =
        std::vector<std::uint8_t>{0x00, 0x1a, 0x2b, 0xc3, 0xd4, 0xe5};
    std::optional<std::vector<std::uint8_t>> FirstAdapterAddress() override { return address; }
};

}  // namespace zavro::test
