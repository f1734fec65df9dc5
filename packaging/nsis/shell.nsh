  ; Explorer's verbs: "Quillseal で暗号化" on every file and folder,
  ; "Quillseal で復号化" on encrypted files, and an entry in Send To. Each
  ; starts the program with "/shell" before the item; Explorer starts it once
  ; for every item of a selection, and the program gathers them into one
  ; window. Send To hands over every item at once, after "/shell".
  !macro QUILL_VERB CLASS VERB LABEL
    WriteRegStr SHCTX "Software\Classes\${CLASS}\shell\${VERB}" "" "${LABEL}"
    WriteRegStr SHCTX "Software\Classes\${CLASS}\shell\${VERB}" "Icon" "$INSTDIR\quillgui.exe,0"
    WriteRegStr SHCTX "Software\Classes\${CLASS}\shell\${VERB}\command" "" \
      '"$INSTDIR\quillgui.exe" /shell "%1"'
  !macroend
  !insertmacro QUILL_VERB "*" "Quillseal.Encrypt" "Quillseal で暗号化"
  !insertmacro QUILL_VERB "Directory" "Quillseal.Encrypt" "Quillseal で暗号化"
  !insertmacro QUILL_VERB "Quillseal.Archive" "Quillseal.Decrypt" "Quillseal で復号化"
  CreateShortCut "$SENDTO\Quillseal.lnk" "$INSTDIR\quillgui.exe" "/shell" "$INSTDIR\quillgui.exe" 0

  ; The program's folder on PATH, for quillseal.exe in a console: asked
  ; here, or given on a silent install's command line as /PATH=ALL (every
  ; user's PATH) or /PATH=USER (the installing user's); without it a silent
  ; install leaves PATH alone.
  ${GetOptions} $CMDLINE "/PATH=" $R0
  IfErrors 0 quill_path_chosen
    StrCpy $R0 "NO"
    IfSilent quill_path_chosen
    MessageBox MB_YESNO|MB_ICONQUESTION \
      "コマンドプロンプトで quillseal を使えるように、インストール先のフォルダを PATH に追加しますか?" \
      /SD IDNO IDNO quill_path_chosen
    StrCpy $R0 "USER"
    StrCmp $SV_ALLUSERS "AllUsers" 0 quill_path_chosen
      StrCpy $R0 "ALL"
  quill_path_chosen:
  StrCpy $ADD_TO_PATH_ALL_USERS "0"
  StrCmp $R0 "ALL" 0 +2
    StrCpy $ADD_TO_PATH_ALL_USERS "1"
  StrCmp $R0 "ALL" +2
  StrCmp $R0 "USER" 0 +3
    Push "$INSTDIR"
    Call AddToPath
