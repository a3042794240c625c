;; nuvexample.lsp: an AutoLISP program of the suite, loaded into every drawing through sys\nuv.rx.
;; (nuvex-label) is the text a duct label gets: the drawing scale and the work folder, from the
;; kernel's functions.
(defun nuvex-label ()
  (strcat "1:" (itoa (nuvex-scale)) " " (if (NUV_GetWorkPath) (NUV_GetWorkPath) "-"))
)
(princ "\nnuvexample.lsp loaded")
(princ)
