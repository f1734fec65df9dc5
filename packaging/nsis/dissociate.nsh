  ; The file types registered by the installer go. An extension is left
  ; alone when another program has taken it over since.
  !macro QUILL_REMOVE_FILE_TYPE EXTENSION PROGID
    ReadRegStr $0 SHCTX "Software\Classes\${EXTENSION}" ""
    StrCmp $0 "${PROGID}" 0 +2
      DeleteRegKey SHCTX "Software\Classes\${EXTENSION}"
    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  !macroend
@QUILL_REMOVE_TYPES@  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
