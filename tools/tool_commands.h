// Subcommands of veltrane-tool. Each takes the arguments after its own name (argv[0] is the
// subcommand's name) and returns the process exit status: 0 on success, 1 on a data fault,
// 2 on a usage error (after printing its usage to standard error). "--help" prints the usage to
// standard output and returns 0.
#pragma once

int PackCommand(int argc, char** argv);         // pack IN OUT [--chunk-size N]
int UnpackCommand(int argc, char** argv);       // unpack IN OUT [--offset S]
int DctEncodeCommand(int argc, char** argv);    // dct-encode IN WIDTH HEIGHT OUT [--bits-per-pixel B]
int DctDecodeCommand(int argc, char** argv);    // dct-decode IN OUT
int DescribeCommand(int argc, char** argv);     // describe FILE
int ExportModelCommand(int argc, char** argv);  // export-model OUT.obj
int BakeCommand(int argc, char** argv);         // bake [--out DIR] ...
int RelightCommand(int argc, char** argv);      // relight DIR --theta T --phi P --out FILE
