; A small DOS host for the tests: takes /WIN= and /TEMP= from its command
; tail, writes one print job into TEMP+WIN through DOS while it holds the
; file open, closes it and waits (at most about a minute) until the print
; utility has taken the file away, then ends.
;
; Assembled with "nasm -f bin" into an MZ executable with a header of its
; own, so that it is a real DOS .EXE and not a .COM.

        cpu 8086
        bits 16

; The header is two paragraphs long and CS and SS start two paragraphs
; before the loaded image, so that every label's offset in this file is its
; offset in the segment as well: one section, no relocations.
header_paragraphs equ 2
        org 0
        db 'MZ'
        dw file_size % 512                          ; bytes in the last page
        dw (file_size + 511) / 512                  ; pages
        dw 0                                        ; relocations
        dw header_paragraphs
        dw 0x40                                     ; minimum extra paragraphs
        dw 0x40                                     ; maximum extra paragraphs
        dw -header_paragraphs                       ; SS, relative
        dw stack_top                                ; SP
        dw 0                                        ; checksum
        dw entry                                    ; IP
        dw -header_paragraphs                       ; CS, relative
        dw 0x1C                                     ; relocation table
        dw 0                                        ; overlay
        times header_paragraphs * 16 - ($ - $$) db 0

        ; DS = ES = PSP on entry.
entry:
        mov ax, cs
        mov ds, ax                 ; our data
        ; the host's own screen, as a user would see it
        mov ah, 0x09
        mov dx, screen_text
        int 0x21
        ; ES stays at the PSP: its command tail is at ES:81h.
        mov si, win_key
        call find_option           ; ES:DI = value of /WIN=, or CF
        jc fail
        mov [win_at], di
        mov si, temp_key
        call find_option
        jc fail
        ; path = TEMP value + WIN value, NUL-terminated
        mov bx, path
        call copy_word             ; from ES:DI into DS:BX
        mov di, [win_at]
        call copy_word
        mov byte [bx], 0
        ; the whole tail goes into the job, so a test can read what arrived
        mov bx, tail_text
        mov di, 0x81
        xor ch, ch
        mov cl, [es:0x80]
.tail:  jcxz .tail_done
        mov al, [es:di]
        cmp al, 13
        je .tail_done
        mov [bx], al
        inc bx
        inc di
        dec cx
        jmp .tail
.tail_done:
        mov word [bx], 0x0A0D
        add bx, 2
        mov [tail_end], bx

        ; create the print file and write the job in three parts, pausing
        ; between them, while the handle stays open
        mov ah, 0x3C
        xor cx, cx
        mov dx, path
        int 0x21
        jc fail
        mov [handle], ax
        mov dx, job_head
        mov cx, job_head_end - job_head
        call write
        mov dx, tail_text
        mov cx, [tail_end]
        sub cx, tail_text
        call write
        mov cx, 20                 ; about a second
        call pause_ticks
        mov dx, job_tail
        mov cx, job_tail_end - job_tail
        call write
        mov ah, 0x3E
        mov bx, [handle]
        int 0x21

        ; wait until the print file is gone, at most about a minute
        mov word [tries], 1100
.wait:  mov ax, 0x3D00
        mov dx, path
        int 0x21
        jc .gone
        mov bx, ax
        mov ah, 0x3E
        int 0x21
        mov cx, 1
        call pause_ticks
        dec word [tries]
        jnz .wait
.gone:  mov ax, 0x4C00
        int 0x21

fail:   mov ah, 0x09
        mov dx, fail_text
        int 0x21
        mov ax, 0x4C01
        int 0x21

; writes CX bytes from DS:DX to the print file
write:  mov ah, 0x40
        mov bx, [handle]
        int 0x21
        ret

; waits CX timer ticks (18.2 a second) on the BIOS tick count
pause_ticks:
        push es
        xor ax, ax
        mov es, ax
.next:  mov dx, [es:0x46C]
.same:  sti
        hlt
        cmp dx, [es:0x46C]
        je .same
        loop .next
        pop es
        ret

; finds the option named at DS:SI (NUL-terminated) in the command tail at
; ES:81h; returns ES:DI at its value, or CF when it is missing
find_option:
        mov di, 0x81
        xor ch, ch
        mov cl, [es:0x80]
.start: jcxz .missing
        push si
        push di
        push cx
.cmp:   mov al, [si]
        or al, al
        jz .found
        cmp cx, 0
        je .differ
        cmp al, [es:di]
        jne .differ
        inc si
        inc di
        dec cx
        jmp .cmp
.found: add sp, 6
        clc
        ret
.differ:
        pop cx
        pop di
        pop si
        inc di
        dec cx
        jmp .start
.missing:
        stc
        ret

; copies the word at ES:DI (up to a blank, CR or the tail's end) to DS:BX
copy_word:
        mov al, [es:di]
        cmp al, ' '
        je .done
        cmp al, 13
        je .done
        cmp di, 0x100
        jae .done
        mov [bx], al
        inc bx
        inc di
        jmp copy_word
.done:  ret

win_key:   db '/WIN=', 0
temp_key:  db '/TEMP=', 0
fail_text: db 'DOSHOST: no /WIN= or /TEMP=, or the print file cannot be made', 13, 10, '$'
screen_text: db 'VELDRAK (DOS test host): printing one family report', 13, 10, '$'
job_head:  db '#JOBstart#', 13, 10
           db 'Family report from the DOS host', 13, 10
           db 'Command tail: '
job_head_end:
job_tail:  db '#BOLD#Ancestors#bold# of Jan Veldman', 13, 10
           db 'Second page follows', 13, 10
           db '#form#'
           db 'Page two of the DOS job', 13, 10
           db '#form#'
           db '#JOBend#', 13, 10
job_tail_end:

        align 2
handle:    dw 0
win_at:    dw 0
tail_end:  dw 0
tries:     dw 0
path:      times 160 db 0
tail_text: times 140 db 0
stack:     times 256 db 0
stack_top:

file_size equ $ - $$
