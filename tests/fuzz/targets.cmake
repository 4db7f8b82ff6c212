# The fuzz targets (tests/fuzz/TARGET.cpp), for this directory's build and for CTest's runs.
set(VARLUME_FUZZ_TARGETS fuzz_d64_drive fuzz_directory_drive fuzz_dos_command fuzz_tape fuzz_prg fuzz_settings fuzz_snapshot fuzz_dbgfile fuzz_dap_message fuzz_cartridge)
