#include "sim/TicketJob.h"

namespace kestrel {

const char* TicketPhaseName(TicketPhase phase) {
    switch (phase) {
        case TicketPhase::Idle:
            return "idle";
        case TicketPhase::Receiving:
            return "receiving";
        case TicketPhase::Busy:
            return "busy";
        case TicketPhase::BarcodeDone:
            return "barcode-done";
        case TicketPhase::InChute:
            return "paper-in-chute";
        case TicketPhase::Done:
            return "top-of-next-form";
    }
    return "?";
}

void TicketJob::OnTicketData(uint64_t now) {
    switch (m_phase) {
        case TicketPhase::Receiving:
        case TicketPhase::Busy:
            break;
        case TicketPhase::Idle:
        case TicketPhase::BarcodeDone:
        case TicketPhase::InChute:
        case TicketPhase::Done:
            m_phase = TicketPhase::Receiving;
            break;
    }
    m_phaseStarted = now;
}

std::vector<TicketPhase> TicketJob::Advance(uint64_t now, bool halted) {
    std::vector<TicketPhase> entered;
    if (m_phase == TicketPhase::Idle || m_phase == TicketPhase::Done) {
        return entered;
    }
    if (halted) {
        m_phaseStarted = now;
        return entered;
    }
    while (m_phase != TicketPhase::Done && now - m_phaseStarted >= m_phaseMs) {
        m_phaseStarted += m_phaseMs;
        m_phase = static_cast<TicketPhase>(static_cast<int>(m_phase) + 1);
        if (m_phase == TicketPhase::Done) {
            ++m_ticketsPrinted;
        }
        entered.push_back(m_phase);
    }
    return entered;
}

void TicketJob::ClearDone() {
    if (m_phase == TicketPhase::Done) {
        m_phase = TicketPhase::Idle;
    }
}

uint64_t TicketJob::NextDeadline() const {
    if (m_phase == TicketPhase::Idle || m_phase == TicketPhase::Done) {
        return 0;
    }
    return m_phaseStarted + m_phaseMs;
}

PrinterStatus TicketJob::PhaseBits() const {
    PrinterStatus bits{};
    const bool busy = m_phase == TicketPhase::Busy || m_phase == TicketPhase::BarcodeDone ||
                      m_phase == TicketPhase::InChute;
    const bool barcode = m_phase >= TicketPhase::BarcodeDone;
    const bool chute = m_phase >= TicketPhase::InChute;
    const bool nextForm = m_phase == TicketPhase::Done;
    if (busy) {
        bits[kBusyByte] |= kBusyMask;
    }
    if (barcode) {
        bits[kBarcodeDoneByte] |= kBarcodeDoneMask;
    }
    if (chute) {
        bits[kChuteByte] |= kChuteMask;
    }
    if (nextForm) {
        bits[kNextFormByte] |= kNextFormMask;
    }
    return bits;
}

}  // namespace kestrel
