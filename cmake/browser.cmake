# Link options of the browser build (emcmake): lum becomes lum.js, one file holding the
# WebAssembly, a factory `createLum` for the playground's worker, with the C API of
# src/frontend/browser_api.cpp exported. Included from CMakeLists.txt only when EMSCRIPTEN.
set_target_properties(lum PROPERTIES SUFFIX ".js")
set(LUM_BROWSER_EXPORTS
  _malloc _free _lum_load_rules _lum_put_file _lum_compile _lum_output _lum_output_size _lum_report _lum_rules_report _lum_vocabulary
  _lum_edit _lum_problems _lum_hover _lum_complete _lum_load_task _lum_task_report
  _lum_field_read _lum_field_write)
list(JOIN LUM_BROWSER_EXPORTS "," LUM_BROWSER_EXPORT_LIST)
target_link_options(lum PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createLum -sSINGLE_FILE=1 -sENVIRONMENT=worker
  # A 10 MB source needs a few hundred MB while it compiles; memory grows up to the 2 GB default.
  -sALLOW_MEMORY_GROWTH=1
  # There is no main: the worker calls the C API once the module is ready.
  -sEXPORTED_FUNCTIONS=[${LUM_BROWSER_EXPORT_LIST}])
