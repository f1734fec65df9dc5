  ; The three file types open in quillgui with the file as its first
  ; argument: a key file becomes the selected key, an archive the item to
  ; decrypt. Each has its own icon from the program file; the indexes count
  ; the program's icon groups in resource order: 0 the program, 1 a secret
  ; key, 2 a public key, 3 an encrypted file.
  !macro QUILL_FILE_TYPE EXTENSION PROGID DESCRIPTION ICON
    WriteRegStr SHCTX "Software\Classes\${EXTENSION}" "" "${PROGID}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "${DESCRIPTION}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\quillgui.exe,${ICON}"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\quillgui.exe" "%1"'
  !macroend
  !insertmacro QUILL_FILE_TYPE ".velh" "Quillseal.SecretKey" "秘密鍵ファイル" 1
  !insertmacro QUILL_FILE_TYPE ".velk" "Quillseal.PublicKey" "公開鍵ファイル" 2
  !insertmacro QUILL_FILE_TYPE ".velm" "Quillseal.Archive" "暗号化ファイル" 3
  ; SHCNE_ASSOCCHANGED: Explorer shows the new icons at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
