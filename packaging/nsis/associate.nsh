  ; The three file types open in quillgui with the file as its first
  ; argument: a key file becomes the selected key, an archive the item to
  ; decrypt. Each has its own icon from the program file, by its index
  ; among the program's icon groups.
  !macro QUILL_FILE_TYPE EXTENSION PROGID DESCRIPTION ICON
    WriteRegStr SHCTX "Software\Classes\${EXTENSION}" "" "${PROGID}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "${DESCRIPTION}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\quillgui.exe,${ICON}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\quillgui.exe" "%1"'
  !macroend
  ; One line a kind, from common/file_types.def (cmake/FileTypes.cmake).
@QUILL_REGISTER_TYPES@  ; SHCNE_ASSOCCHANGED: Explorer shows the new icons at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
