#include "record/PreRecordBuffer.h"

#include <cstring>
#include <new>

#include "record/LittleEndian.h"

bool CPreRecordBuffer::AllocateBuffer() {
    if (!m_lpSlots) {
        m_lpSlots.reset(new (std::nothrow)
                            uint8_t[size_t{kPreRecordSlotSize} * kPreRecordSlotCount]);
    }
    if (!m_lpDescriptors) {
        m_lpDescriptors.reset(new (std::nothrow) PreRecordFrame_Struct[kPreRecordSlotCount]);
    }
    return m_lpSlots && m_lpDescriptors;
}

bool CPreRecordBuffer::FreeBuffer() {
    m_lpSlots.reset();
    m_lpDescriptors.reset();
    return true;
}

int CPreRecordBuffer::Feed(std::span<RingHandOver* const> recorders, std::span<const uint8_t> jpeg,
                           const RecordFrameFacts& facts, std::stop_token stop) {
    for (size_t taken = 0; taken < recorders.size(); ++taken) {
        if (!recorders[taken]->TakeGuard(stop)) {
            for (size_t i = 0; i < taken; ++i) recorders[i]->GiveBackGuard();
            return 0;
        }
    }
    // A frame that does not fit a slot is left out rather than cut: a cut JPEG is no picture.
    if (!m_lpSlots || !m_lpDescriptors || jpeg.size() > kPreRecordSlotSize) {
        for (RingHandOver* recorder : recorders) recorder->GiveBackGuard();
        return 1;
    }
    const uint16_t slot = m_wWriteIndex;
    PreRecordFrame_Struct& descriptor = m_lpDescriptors[slot];
    descriptor = {};
    if (!jpeg.empty()) {
        std::memcpy(m_lpSlots.get() + size_t{slot} * kPreRecordSlotSize, jpeg.data(), jpeg.size());
    }
    descriptor.length = static_cast<uint32_t>(jpeg.size());
    descriptor.channel = facts.channel;
    descriptor.videoLoss = facts.videoLoss;
    descriptor.width = facts.width;
    descriptor.height = facts.height;
    descriptor.timeStamp = facts.timeStamp;
    descriptor.localTime = ormidon::le::ToTheSecond(ormidon::LocalNow());
    m_wWriteIndex = slot + 1 < kPreRecordSlotCount ? slot + 1 : 0;
    framesFed_.fetch_add(1);
    for (RingHandOver* recorder : recorders) recorder->HandOverOrGiveBack();
    return 1;
}

uint16_t CPreRecordBuffer::NewestSlot() const {
    return m_wWriteIndex == 0 ? kPreRecordSlotCount - 1 : m_wWriteIndex - 1;
}

std::span<const uint8_t> CPreRecordBuffer::SlotBytes(uint16_t slot) const {
    return {m_lpSlots.get() + size_t{slot} * kPreRecordSlotSize, m_lpDescriptors[slot].length};
}
