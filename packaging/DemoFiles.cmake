# The files of demo/ that are installed, one a line.
set(KESTREL_DEMO_FILES
    "Kestrel.html"
    "NoPreview.bmp"
    "PictBottom.bmp"
    "Normal Parking Receipt.dmo"
    "Normal Parking Receipt.bmp"
    "Smart Concert Ticket.dmo"
    "Smart Concert Ticket.bmp"
    "Smart Status Check.dmo"
    "Smart Status Check.bmp"
    "Ventrix Boarding Pass.dmo"
    "Ventrix Boarding Pass.bmp"
    "Ventrix Event Ticket.dmo"
    "Ventrix Event Ticket.bmp"
)
