' Removes what install.vbs installed for the current user:
'
'   cscript uninstall.vbs      (or with x64 or x86, as install.vbs was run)
'
' Uninstalls the add-in kestrune.xla from the spreadsheet program and deletes it, unregisters
' each kestrune.dll for this user and deletes %LOCALAPPDATA%\kestrune.
Option Explicit

Const kAddInFile = "kestrune.xla"
Const kServerFile = "kestrune.dll"

Dim fso, shell
Set fso = CreateObject("Scripting.FileSystemObject")
Set shell = CreateObject("WScript.Shell")

' Wine's WScript.Shell ends an expanded text with a NUL character, which cuts a command line
' short.
Function Expanded(text)
    Expanded = Replace(shell.ExpandEnvironmentStrings(text), Chr(0), "")
End Function

Function InstallFolder()
    InstallFolder = fso.BuildPath(Expanded("%LOCALAPPDATA%"), "kestrune")
End Function

Function Platforms()
    If WScript.Arguments.Count > 0 Then
        Platforms = Array(LCase(WScript.Arguments(0)))
    Else
        Platforms = Array("x64", "x86")
    End If
End Function

Function Regsvr32(platform)
    Dim system
    system = "System32"
    If platform = "x86" And fso.FolderExists(Expanded("%SystemRoot%\SysWOW64")) Then system = "SysWOW64"
    Regsvr32 = Expanded("%SystemRoot%\" & system & "\regsvr32.exe")
End Function

' Runs regsvr32 for the current user on a platform's installed DLL; true when it succeeds.
Function RunRegsvr32(platform, options)
    Dim command
    command = """" & Regsvr32(platform) & """ " & options & " /s /n /i:user """
    command = command & fso.BuildPath(fso.BuildPath(InstallFolder(), platform), kServerFile) & """"
    RunRegsvr32 = (shell.Run(command, 0, True) = 0)
End Function

Dim app, host, addIn, target, platform, server
Set app = CreateObject("Excel.Application")
app.DisplayAlerts = False
Set host = app.Workbooks.Add
For Each addIn In app.AddIns
    If LCase(addIn.Name) = kAddInFile Then addIn.Installed = False
Next
target = fso.BuildPath(app.UserLibraryPath, kAddInFile)
host.Close False
app.Quit
If fso.FileExists(target) Then fso.DeleteFile target, True

For Each platform In Platforms()
    server = fso.BuildPath(fso.BuildPath(InstallFolder(), platform), kServerFile)
    If fso.FileExists(server) Then
        RunRegsvr32 platform, "/u"
    End If
Next
If fso.FolderExists(InstallFolder()) Then fso.DeleteFolder InstallFolder(), True
WScript.Echo "kestrune is uninstalled."
