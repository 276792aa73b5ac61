// One ticket through the printer: it goes busy, finishes the barcodes, drops the ticket into the
// chute and reaches the top of the next form, each step a fixed delay after the one before.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/StatusBits.h"

namespace kestrel {

enum class TicketPhase {
    Idle,       // no ticket since start or since Clear-all
    Receiving,  // ticket data arrived; busy follows one delay after the last of it
    Busy,
    BarcodeDone,
    InChute,
    Done,  // top of next form reached; busy is clear, the done bits stay until Clear-all
};

const char* TicketPhaseName(TicketPhase phase);

class TicketJob {
  public:
    explicit TicketJob(uint64_t phaseMilliseconds) : m_phaseMs(phaseMilliseconds) {}

    // Ticket data arrived. Starts a ticket, or while the ticket is still coming in (up to busy)
    // moves its next phase one delay past this data. Data after the barcodes are done is a new
    // ticket.
    void OnTicketData(uint64_t now);
    // Moves through every phase that is due by `now` and returns the phases entered, in order.
    // While `halted` (a fault stops the mechanism) nothing moves and the current phase's delay
    // starts again.
    std::vector<TicketPhase> Advance(uint64_t now, bool halted);
    // Clear-all: forget the finished ticket's done bits.
    void ClearDone();

    // When Advance has the next step to take; 0 when nothing is pending.
    uint64_t NextDeadline() const;
    TicketPhase Phase() const { return m_phase; }
    int TicketsPrinted() const { return m_ticketsPrinted; }
    // The busy, barcode-done, paper-in-chute and top-of-next-form bits for the current phase.
    PrinterStatus PhaseBits() const;

  private:
    uint64_t m_phaseMs;
    TicketPhase m_phase = TicketPhase::Idle;
    uint64_t m_phaseStarted = 0;
    int m_ticketsPrinted = 0;
};

}  // namespace kestrel
