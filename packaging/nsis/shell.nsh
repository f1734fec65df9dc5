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
  ; install leaves PATH alone. A PATH may be longer than the installer's
  ; strings, so a helper of our own changes it in the registry, whole; the
  ; uninstaller takes the folder off the PATH it was added to, and only if
  ; this installation added it.
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
  StrCmp $R0 "ALL" quill_path_add
  StrCmp $R0 "USER" quill_path_add quill_path_done
  quill_path_add:
    InitPluginsDir
    File "/oname=$PLUGINSDIR\path_entry.exe" "@QUILL_PATH_ENTRY@"
    ; 0: added; 10: the folder was on that PATH already, so it is not ours.
    ClearErrors
    ExecWait '"$PLUGINSDIR\path_entry.exe" add $R0 $INSTDIR' $R1
    IfErrors quill_path_failed
    StrCmp $R1 "10" quill_path_done
    StrCmp $R1 "0" 0 quill_path_failed
      WriteRegStr SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\@QUILL_REGISTRY_KEY@" \
        "PathAddedTo" $R0
      Goto quill_path_done
  quill_path_failed:
    MessageBox MB_OK|MB_ICONEXCLAMATION "PATH にインストール先のフォルダを追加できませんでした。" /SD IDOK
  quill_path_done:
