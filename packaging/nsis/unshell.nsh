  ; The verbs and the Send To entry go.
  DeleteRegKey SHCTX "Software\Classes\*\shell\Quillseal.Encrypt"
  DeleteRegKey SHCTX "Software\Classes\Directory\shell\Quillseal.Encrypt"
  DeleteRegKey SHCTX "Software\Classes\Quillseal.Archive\shell\Quillseal.Decrypt"
  Delete "$SENDTO\Quillseal.lnk"
  ; The folder goes off the PATH this installation added it to.
  ReadRegStr $R0 SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\@QUILL_REGISTRY_KEY@" \
    "PathAddedTo"
  StrCmp $R0 "" quill_unpath_done
    InitPluginsDir
    File "/oname=$PLUGINSDIR\path_entry.exe" "@QUILL_PATH_ENTRY@"
    ClearErrors
    ExecWait '"$PLUGINSDIR\path_entry.exe" remove $R0 $INSTDIR' $R1
    IfErrors quill_unpath_failed
    StrCmp $R1 "0" quill_unpath_done
    StrCmp $R1 "10" quill_unpath_done
  quill_unpath_failed:
    MessageBox MB_OK|MB_ICONEXCLAMATION "PATH からインストール先のフォルダを削除できませんでした。" /SD IDOK
  quill_unpath_done:
